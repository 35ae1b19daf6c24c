#pragma once

#include <QString>
#include <QStringList>

// The files a run makes for itself (its work file, its partial output files, the folder of a row's pieces,
// its folder of links to the disc) carry the run's process id in their names, so that a later run can tell
// what a killed one left behind: those whose process is gone are removed, those of a live run never are.
namespace RunLeftovers {

// "<pid>": the part of a name that says which run made it.
QString RunMark();
// The unique-name patterns of a run's files ("XXXXXX" is made unique when the file is created).
QString WorkFilePattern();                                              // temp-<pid>-XXXXXX.avi
QString PartialFilePattern(const QString& stem, const QString& extension); // <stem>.partial-<pid>-XXXXXX<ext>
QString ViewFolderTemplate();                                           // <temp>/velloric-view-<pid>-XXXXXX
QString PiecesFolderTemplate(const QString& folder,
                             const QString& stem); // <folder>/.<stem>.pieces-<pid>-XXXXXX

// Whether the run of that process id still runs.
bool RunAlive(qint64 pid);

// Removes what runs that are gone left in each folder: work files and partial files (regular files and
// named pipes), the folders of pieces beside the outputs and, in the temporary folder, folders of links.
// Returns the paths removed.
QStringList RemoveWorkLeftovers(const QString& workFolder);
QStringList RemovePartialLeftovers(const QString& outputFolder);
QStringList RemoveViewLeftovers();

} // namespace RunLeftovers
