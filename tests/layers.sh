#!/usr/bin/env bash
# The conversion core never reaches up into the window: no file of the core's folders includes a file of
# src/app or of a ui/ folder, nor a widget header. Prints each offending line.
set -u
src="$1/src"
bad=$(cd "$src" && grep -rnE '#include +[<"](app/|ui/|[a-z]+/ui/|QtWidgets|QWidget|QDialog|QMessageBox)' \
  tasks dvd profiles convert preview cli subtitles --include='*.h' --include='*.cpp' \
  | grep -vE '^(dvd|profiles|preview)/ui/')
if [ -n "$bad" ]; then
  echo "The core includes window code:"
  echo "$bad"
  exit 1
fi
