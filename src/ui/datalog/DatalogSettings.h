#pragma once
// What the Datalog menu keeps across runs, in the window's QSettings:
//
//   datalog/folder           the folder of the last setup's file
//   datalog/intervalSeconds  0: every pass; otherwise at most one pass so many seconds apart
//   datalog/boards           the board numbers recorded (a list)
//   datalog/lastFile         the last file a recording wrote a pass into
//
// and the names of new datalog files.
#include <QDateTime>
#include <QString>

#include <optional>

#include "ui/datalog/DatalogSetupDialog.h"

class QSettings;

namespace qm::ui {

// The saved setup; its file names the folder only. Empty when none was saved
// (or what is stored cannot be used).
std::optional<DatalogChoice> LoadDatalogSetup(QSettings& settings);
void SaveDatalogSetup(QSettings& settings, const DatalogChoice& choice);

QString LoadLastDatalog(QSettings& settings);
void SaveLastDatalog(QSettings& settings, const QString& file);

// A new file in the folder named by the local time, qm7410-YYYYMMDD-HHMMSS.csv;
// when that file exists already, "-2", "-3" ... before the ".csv", so that a
// new recording never replaces an earlier one.
QString NewDatalogFile(const QString& folder, const QDateTime& when);

} // namespace qm::ui
