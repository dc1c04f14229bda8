#include "ui/datalog/DatalogSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <algorithm>

#include "ui/datalog/DatalogSetupDialog.h"

namespace qm::ui {

namespace {
const QString kFolder = QStringLiteral("datalog/folder");
const QString kInterval = QStringLiteral("datalog/intervalSeconds");
const QString kBoards = QStringLiteral("datalog/boards");
const QString kLastFile = QStringLiteral("datalog/lastFile");
} // namespace

std::optional<DatalogChoice> LoadDatalogSetup(QSettings& settings)
{
    const QString folder = settings.value(kFolder).toString();
    if (folder.isEmpty()) return std::nullopt;
    DatalogChoice c;
    c.file = QDir(folder).filePath(QStringLiteral("x.csv"));
    bool ok = false;
    const int seconds = settings.value(kInterval).toInt(&ok);
    c.intervalSeconds = ok ? std::clamp(seconds, 0, DatalogSetupDialog::kMaxIntervalSeconds) : 0;
    for (const QString& n : settings.value(kBoards).toStringList()) {
        const int board = n.trimmed().toInt(&ok);
        if (ok && board >= 1 && board <= 10) c.boards.push_back(board);
    }
    if (c.boards.empty()) return std::nullopt;
    return c;
}

void SaveDatalogSetup(QSettings& settings, const DatalogChoice& choice)
{
    QStringList boards;
    for (int b : choice.boards) boards << QString::number(b);
    settings.setValue(kFolder, QFileInfo(choice.file).absolutePath());
    settings.setValue(kInterval, choice.intervalSeconds);
    settings.setValue(kBoards, boards);
    settings.sync();
}

QString LoadLastDatalog(QSettings& settings) { return settings.value(kLastFile).toString(); }

void SaveLastDatalog(QSettings& settings, const QString& file)
{
    settings.setValue(kLastFile, file);
    settings.sync();
}

QString NewDatalogFile(const QString& folder, const QDateTime& when)
{
    const QString stem = QStringLiteral("qm7410-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir dir(folder);
    QString path = dir.filePath(stem + QStringLiteral(".csv"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(stem + QStringLiteral("-%1.csv").arg(n));
    return path;
}

} // namespace qm::ui
