#pragma once

#include <functional>

#include <QDate>
#include <QString>

#include "ReportLines.h"
#include "StatusList.h"

// The four delivery report operations of the reports window, without the
// window: the desktop program and parlex-cli call the same functions.
//
// Each asks the gateway through a new Gateway (the active account of
// AppState), writes its step texts to the status bar, shows its boxes and
// yields through UserInterface() (a HeadlessUi logs the boxes), keeps
// gStepError, gReportStep, gProgressTotal and gProgressDone as the window
// expects and tests gReportCancel between lines. The outcome repeats what
// the user was told, for a caller without a status bar.

// What the window does while a report runs.
struct ReportView {
    // The old rows are gone (before the first new one): the window empties
    // its grid (CreateFields1) and shows the package identifier.
    std::function<void()> cleared;
    // The listing begins (after the code replies): the date-range report's
    // window shows the two dates.
    std::function<void()> started;
    // Called on time while lines are listed and once at the end: the window
    // shows the counters and the rows so far.
    std::function<void(const ReportCounters&)> shown;
};

struct ReportOutcome {
    enum class End {
        Listed,    // every line listed (possibly none)
        Cancelled, // "Vazgeç": the rows so far stay
        Failed,    // no connection, a code reply, a bad line: a box said why
        Refused,   // the GSM number was not one (tab 3), nothing asked
    };
    End end = End::Listed;
    QString reply;   // the gateway's code reply, when it answered with one
    QString message; // the last box's text, or else the last status text
    ReportCounters counters;
};

// "yyyy-MM-dd", as the report requests carry dates.
QString ReportDate(QDate date);

// A number the GSM-number report and tab 3's message text accept: ten
// digits starting with 5.
bool IsReportGsmNo(const QString& text);

// The package report (tab 1, action 11) of package `msgId`.
ReportOutcome RaporCek(const QString& msgId, StatusList& list, const ReportView& view = {});

// The date-range report (tab 2, action 17), both days included.
ReportOutcome RaporCek2(QDate first, QDate last, StatusList& list, const ReportView& view = {});

// The GSM-number report (tab 3, action 14): the packages sent to `gsmNo`
// between the two dates, as rows (GsmNo = package identifier, Durum = date).
ReportOutcome NumberReport(const QString& gsmNo, QDate first, QDate last, StatusList& list,
                           const ReportView& view = {});

// The message text (action 15) of package `msgId` to `gsmNo`, shown in a box
// titled "Parlex". `fromNumberTab` picks tab 3's failure texts. Returns the
// box's text, or the empty text when none was shown.
QString MesajGoster(const QString& gsmNo, const QString& msgId, bool fromNumberTab);
