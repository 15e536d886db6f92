#include <array>
#include <exception>

#include <QDate>

#include "CliCommands.h"
#include "CliSupport.h"
#include "core/AppState.h"
#include "core/ExitRequest.h"
#include "reports/DeliveryReports.h"
#include "reports/PackageHistory.h"
#include "reports/StatusListExport.h"

namespace {

const QString kPackages = QStringLiteral("packages");
const QString kReport = QStringLiteral("report");

const QString kPackagesHelp = QStringLiteral(
    "Usage: parlex-cli packages [--program-folder DIR]\n"
    "\n"
    "The packages sent in the account's current mode, newest first, as the\n"
    "reports window lists them: one line per package, tab-separated:\n"
    "  msgid msgtip dosya_adi kural_adi tarih gtarih gateway originator paket_boyut\n"
    "\n"
    "Options:\n"
    "  --program-folder DIR  the folder of ostrel.mdb\n"
    "  -h, --help            this text\n"
    "\n"
    "Exit status: 0 done, 1 the database cannot be read, 2 bad arguments.\n");

const QString kReportHelp = QStringLiteral(
    "Usage: parlex-cli report package MSGID [--status LIST] [--xlsx FILE]\n"
    "       parlex-cli report range FIRST LAST [--status LIST] [--xlsx FILE]\n"
    "       parlex-cli report number GSM FIRST LAST [--xlsx FILE]\n"
    "\n"
    "Asks the gateway for a delivery report, as the reports window does:\n"
    "  package  the state of every message of package MSGID\n"
    "  range    the state of every message sent from FIRST to LAST (yyyy-MM-dd)\n"
    "  number   the packages sent to GSM (10 digits, 5...) from FIRST to LAST\n"
    "Prints one tab-separated line per row (number and state text, or package\n"
    "identifier and date), then for package and range the counts of the whole\n"
    "report:\n"
    "  toplam=N beklemede=N iletildi=N zaman_asimi=N reddedildi=N\n"
    "\n"
    "Options:\n"
    "  --status LIST         only rows in these states, comma-separated:\n"
    "                        beklemede, iletildi, zaman_asimi, reddedildi\n"
    "  --xlsx FILE           write the rows to the workbook FILE as \"Excel'e gönder\"\n"
    "                        does, instead of printing them\n"
    "  --program-folder DIR  the folder of ostrel.mdb\n"
    "  -h, --help            this text\n"
    "\n"
    "Exit status: 0 done, 1 the gateway gave no report (the reason on standard\n"
    "error), 2 bad arguments.\n");

// The filter boxes' order.
const std::array<QString, StatusList::StateCount> kStateNames = {
    QStringLiteral("beklemede"), QStringLiteral("iletildi"), QStringLiteral("zaman_asimi"),
    QStringLiteral("reddedildi")};

std::optional<QDate> reportDate(const QString& text) {
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) {
        PrintError(kReport, QStringLiteral("%1 is not a date as yyyy-MM-dd").arg(text));
        return std::nullopt;
    }
    return date;
}

// --status as the four boxes; none when it names something else.
std::optional<std::array<bool, StatusList::StateCount>> statusFilter(const QString& list) {
    std::array<bool, StatusList::StateCount> ticked{};
    for (const QString& name : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto at = std::find(kStateNames.begin(), kStateNames.end(), name.trimmed());
        if (at == kStateNames.end()) {
            PrintError(kReport, QStringLiteral("--status: %1 is not one of %2")
                                    .arg(name, QStringList(kStateNames.begin(), kStateNames.end())
                                                   .join(QStringLiteral(", "))));
            return std::nullopt;
        }
        ticked[size_t(at - kStateNames.begin())] = true;
    }
    return ticked;
}

// The rows shown, into FILE as "Excel'e gönder" writes them.
int writeWorkbook(const StatusList& list, const QString& file) {
    if (list.isEmpty()) {
        PrintError(kReport, QStringLiteral("Aktarılacak Hiç Kayıt Yok"));
        return ExitFailure;
    }
    StatusListExport source(list);
    const ExportResult written = WriteWorkbook(source, file, StatusListExport::columnNames(),
                                               {[] { return !App().gReportCancel; }, {}});
    if (written.written())
        return ExitOk;
    PrintError(
        kReport,
        written.outcome == ExportResult::Outcome::Cancelled
            ? QStringLiteral("stopped on request; no workbook written")
            : QString(written.message()).replace(QStringLiteral("\r\n"), QStringLiteral(": ")));
    return ExitFailure;
}

} // namespace

int RunPackages(const QStringList& args) {
    ProgramSession session;
    if (const auto status = StartPlainJob(kPackages, kPackagesHelp, args, session, false))
        return *status;
    try {
        Recordset rs = PackageList();
        CliOutput out;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            QStringList values;
            for (int i = 1; i < rs.fieldCount(); ++i)
                values << EscapeValue(rs.text(i));
            out.line(values.join(QLatin1Char('\t')));
        }
    } catch (const std::exception& e) {
        PrintError(kPackages, QString::fromUtf8(e.what()));
        return ExitFailure;
    }
    return ExitOk;
}

int RunReport(const QStringList& args) {
    const CliArguments arguments = ParseArguments(
        args, {QStringLiteral("program-folder"), QStringLiteral("status"), QStringLiteral("xlsx")});
    if (const auto status = HelpOrUsageError(kReport, kReportHelp, arguments))
        return *status;
    const QStringList& p = arguments.positional;
    const QString kind = p.value(0);
    const qsizetype wanted = kind == QLatin1String("package")  ? 2
                             : kind == QLatin1String("range")  ? 3
                             : kind == QLatin1String("number") ? 4
                                                               : 0;
    if (wanted == 0 || p.size() != wanted) {
        const QStringList forms = {QString(), QString(), QStringLiteral("MSGID"),
                                   QStringLiteral("FIRST LAST"), QStringLiteral("GSM FIRST LAST")};
        PrintError(
            kReport,
            wanted == 0
                ? QStringLiteral("package, range or number? (try --help)")
                : QStringLiteral("report %1 %2, please (try --help)").arg(kind, forms[wanted]));
        return ExitUsage;
    }
    const bool byNumber = kind == QLatin1String("number");
    std::optional<QDate> first, last;
    if (kind != QLatin1String("package")) {
        first = reportDate(p[wanted - 2]);
        last = reportDate(p[wanted - 1]);
        if (!first || !last)
            return ExitUsage;
    }
    if (byNumber && !IsReportGsmNo(p[1])) {
        PrintError(kReport, QStringLiteral("GSMNo Alanını Kontrol Ediniz: %1 is not ten digits "
                                           "starting with 5")
                                .arg(p[1]));
        return ExitUsage;
    }
    std::array<bool, StatusList::StateCount> ticked{};
    if (arguments.options.contains(QStringLiteral("status"))) {
        if (byNumber) {
            PrintError(kReport, QStringLiteral("--status filters package and range reports only"));
            return ExitUsage;
        }
        const auto filter = statusFilter(arguments.options.value(QStringLiteral("status")));
        if (!filter)
            return ExitUsage;
        ticked = *filter;
    }

    ProgramSession session;
    if (const int status = session.open(kReport, arguments, false); status != ExitOk)
        return status;
    // Ctrl+C stops the listing as "Vazgeç" does.
    WatchExitSignals([] { App().gReportCancel = true; });

    StatusList list;
    const ReportOutcome outcome = kind == QLatin1String("package") ? RaporCek(p[1], list)
                                  : byNumber ? NumberReport(p[1], *first, *last, list)
                                             : RaporCek2(*first, *last, list);
    if (outcome.end != ReportOutcome::End::Listed) {
        if (session.ui().errorsShown() == 0)
            PrintError(kReport, outcome.end == ReportOutcome::End::Cancelled
                                    ? QStringLiteral("stopped on request")
                                    : QString(outcome.message)
                                          .replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
        return ExitFailure;
    }
    // A report starts unfiltered; the boxes apply to what it listed.
    list.setFilter(ticked);

    CliOutput out;
    if (arguments.options.contains(QStringLiteral("xlsx"))) {
        if (const int status = writeWorkbook(list, arguments.options.value(QStringLiteral("xlsx")));
            status != ExitOk)
            return status;
    } else {
        for (qsizetype row = 0; row < list.rowCount(); ++row)
            out.line(EscapeValue(list.gsmNo(row).toString()) + QLatin1Char('\t') +
                     EscapeValue(list.durum(row)));
    }
    if (!byNumber) {
        const auto& n = outcome.counters.byState;
        out.line(QStringLiteral("toplam=%1 beklemede=%2 iletildi=%3 zaman_asimi=%4 reddedildi=%5")
                     .arg(outcome.counters.total)
                     .arg(n[StatusList::Waiting])
                     .arg(n[StatusList::Delivered])
                     .arg(n[StatusList::TimedOut])
                     .arg(n[StatusList::Rejected]));
    }
    return ExitOk;
}
