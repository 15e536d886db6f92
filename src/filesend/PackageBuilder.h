#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

#include "PackageList.h"
#include "textsource/PackagePolicy.h"
#include "textsource/SchemaIni.h"

// Builds the send wizard's package list from a data file or a workbook's
// sheet: every row filled with the template, its number normalised, tested;
// queued rows go into the list, the others into the reject files h01_ to
// h05_ beside the file (for a workbook, workbooks: h01_liste.xlsx). The builder owns its
// reader, so nothing else that reads data files meanwhile (the automatic sender, at a yield) can
// disturb it.
//
// It yields to the user interface every few hundredths of a second, not after
// every row, and stops at the next yield once cancel() was called.
class PackageBuilder {
public:
    enum class Result {
        Built,      // the list holds the file's queued rows
        Empty,      // the file has no data rows
        Cancelled,  // stopped by the user; the list is emptied
        Unreadable, // the file could not be read (whole); the list is emptied
        // The rows that are not sent could not be written beside the file;
        // the list is emptied, errorString() says why in a whole sentence.
        RejectsNotWritten,
        // A commercial package's opt-out list could not be read; the list
        // is emptied, errorString() says why in a whole sentence.
        OptOutUnreadable,
    };

    struct Source {
        QString folder;   // of the data file
        QString fileName; // without folder
        TextFormat format;
        // Between a reject row's values: the tab or the custom separator
        // (not used for a workbook).
        QString rejectSeparator;
        // Last, so that a data file's source needs no sheet.
        int sheet = 0; // of a workbook, counted from 0
    };

    static inline const QString Tag = QStringLiteral("[DosyadanSMS] ");
    static inline const QString CancelledText = QStringLiteral("[DosyadanSMS] İşlem iptal edildi");
    // Longest stretch between two yields while building.
    static constexpr int YieldIntervalMs = 20;

    explicit PackageBuilder(Source source);
    ~PackageBuilder();
    PackageBuilder(const PackageBuilder&) = delete;
    PackageBuilder& operator=(const PackageBuilder&) = delete;

    // Called after every yield with the list as it stands.
    std::function<void(const PackageList&)> onProgress;
    // Rows dearer than one SMS are not sent whatever the settings say (the
    // command line's --one-sms).
    bool oneSmsOnly = false;
    // Off only where a bench measures what counting the SMS costs.
    bool countSms = true;
    // Commercial, one message per number: both off unless set.
    PackagePolicy policy;

    Result build(const QString& templateText, const QString& gsmColumn, PackageList& list);
    void cancel() { m_cancel = true; }
    bool cancelRequested() const { return m_cancel; }

    // Rows written to each reject file, and rows put into the list.
    int noNumber() const { return m_counts[0]; }
    int tooLong() const { return m_counts[1]; }
    int noNumberTooLong() const { return m_counts[2]; }
    // Rows left out by the policy: numbers on the opt-out list (h04_) and
    // numbers queued before (h05_).
    int optedOut() const { return m_counts[3]; }
    int repeated() const { return m_counts[4]; }
    // A commercial package built without a refusal line (none is set).
    bool lacksRefusalLine() const { return m_lacksRefusalLine; }
    qint64 accepted() const { return m_accepted; }
    // Why the file could not be read (Result::Unreadable), or why its
    // reject rows could not be written.
    QString errorString() const { return m_error; }
    // The reject files left beside the data file (those with rows).
    QStringList rejectFiles() const { return m_kept; }

private:
    Source m_source;
    bool m_cancel = false;
    int m_counts[5] = {};
    bool m_lacksRefusalLine = false;
    qint64 m_accepted = 0;
    QString m_error;
    QStringList m_kept;
};

// "Log" in the send wizard: a line in the activity log and the status bar.
void FileSendLog(const QString& text);
// Only the activity log.
void FileSendWriteLog(const QString& text);
