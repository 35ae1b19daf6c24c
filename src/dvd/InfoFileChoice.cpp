#include "InfoFileChoice.h"

#include "IfoReader.h"
#include "InfoFileCheck.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <set>

namespace {

constexpr QDir::Filters kAnyEntry = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;

// Returns "<path>: <problem>", or an empty text when the file passes.
using TCheck = std::function<QString(QIODevice& file, const QString& path)>;

QString CheckCopy(const QString& path, const TCheck& check) {
    const QString problem = NonRegularFileProblem(path);
    if (!problem.isEmpty())
        return path + ": " + problem;
    QFile file(path);
    // The DVD library reads whole 2048-byte sectors: of a shorter file it gives nothing.
    if (file.size() == 0)
        return path + ": empty, or shorter than one 2048-byte sector";
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: cannot open the file: %2").arg(path, file.errorString());
    // The checks read many small fields at scattered offsets: from a mapping they cost no system call.
    if (uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr) {
        const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), file.size());
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return check(buffer, path);
    }
    return check(file, path);
}

TInfoFileChoice Choose(const QString& folder, const QString& stem, const TCheck& check,
                       const QString& ifoProblem = {}) {
    const QString ifo = FindEntry(folder, stem + ".IFO");
    const QString bup = FindEntry(folder, stem + ".BUP");
    TInfoFileChoice choice;
    const QString ifoError = ifoProblem.isEmpty() ? CheckCopy(ifo, check) : ifo + ": " + ifoProblem;
    if (ifoError.isEmpty()) {
        choice.Path = ifo;
        return choice;
    }
    if (!QFileInfo::exists(bup) && !QFileInfo(bup).isSymLink()) {
        choice.Error = ifoError;
        return choice;
    }
    const QString bupError = CheckCopy(bup, check);
    if (bupError.isEmpty()) {
        choice.Path = bup;
        choice.PassedOver = ifoError;
    } else
        choice.Error = ifoError + "; " + bupError;
    return choice;
}

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString FindEntry(const QString& folder, const QString& name) {
    const QStringList found = QDir(folder).entryList({name}, kAnyEntry);
    return folder + (found.isEmpty() ? name : found.first());
}

TInfoFileChoice ChooseVideoManagerFile(const QString& folder, const QString& ifoProblem) {
    return Choose(
        folder, "VIDEO_TS",
        [](QIODevice& file, const QString& path) {
            const QString problem = CheckVideoManagerFile(file);
            return problem.isEmpty() ? problem : path + ": " + problem;
        },
        ifoProblem);
}

TInfoFileChoice ChooseTitleSetFile(const QString& folder, int number, TIFO* parsed) {
    TIFO ifo;
    const TInfoFileChoice choice =
        Choose(folder, "VTS_" + TwoDigits(number) + "_0", [&ifo](QIODevice& file, const QString& path) {
            try {
                ifo = ReadIfo(file, path);
            } catch (const EIfoError& e) {
                return QString::fromStdString(e.what());
            }
            const QString problem = CheckTitleSetFile(file);
            return problem.isEmpty() ? problem : path + ": " + problem;
        });
    if (parsed && !choice.Path.isEmpty())
        *parsed = std::move(ifo);
    return choice;
}

std::vector<int> TitleSetNumbers(const QString& folder) {
    static const QRegularExpression numbered(QStringLiteral("^VTS_(\\d\\d)_0\\.(IFO|BUP)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    std::set<int> numbers;
    for (const QString& name : QDir(folder).entryList({"VTS_*_0.*"}, kAnyEntry)) {
        const QRegularExpressionMatch m = numbered.match(name);
        if (m.hasMatch() && m.captured(1).toInt() > 0)
            numbers.insert(m.captured(1).toInt());
    }
    return {numbers.begin(), numbers.end()};
}
