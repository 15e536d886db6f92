#include "PackageBuilder.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/Routines.h"
#include "core/SystemError.h"
#include "core/UiServices.h"
#include "rules/RejectFile.h"
#include "spreadsheet/TableFile.h"
#include "textsource/MessageCost.h"
#include "textsource/MessageTemplate.h"
#include "textsource/TextValues.h"

Q_LOGGING_CATEGORY(lcFileSend, "parlex.filesend")

namespace {

// Rows between two looks at the clock.
constexpr int RowsBetweenLooks = 256;
// Rows read before a package's length in rows is told from the file's.
constexpr int SampleRows = 256;
// Ten digits and a line break.
constexpr qint64 ShortestNumberLine = 11;

constexpr int RejectKinds = 5;
const QString Prefixes[RejectKinds] = {QStringLiteral("h01_"), QStringLiteral("h02_"),
                                       QStringLiteral("h03_"), QStringLiteral("h04_"),
                                       QStringLiteral("h05_")};

// The outcomes other than Queued follow the prefixes' order.
int rejectIndex(RowOutcome outcome) {
    return static_cast<int>(outcome) - static_cast<int>(RowOutcome::NoNumber);
}

} // namespace

void FileSendWriteLog(const QString& text) {
    try {
        WriteLog(text);
    } catch (const std::exception& e) {
        // The work goes on; the line is not lost to the developer's log.
        qCWarning(lcFileSend).noquote() << text << "(not logged:" << e.what() << ")";
    }
}

void FileSendLog(const QString& text) {
    FileSendWriteLog(text);
    SetStatusText(text);
}

PackageBuilder::PackageBuilder(Source source)
    : m_source(std::move(source)) {}

PackageBuilder::~PackageBuilder() = default;

PackageBuilder::Result PackageBuilder::build(const QString& templateText, const QString& gsmColumn,
                                             PackageList& list) {
    list.clear();
    m_accepted = 0;
    std::fill(std::begin(m_counts), std::end(m_counts), 0);
    m_lacksRefusalLine = false;
    m_kept.clear();
    const QString& file = m_source.fileName;

    // A workbook's rows go back into workbooks, under their column names
    // when it has them; a data file's into text files without its header.
    const bool workbook = IsWorkbookName(file);
    std::unique_ptr<RejectRows> rejects[RejectKinds];
    for (int i = 0; i < RejectKinds; ++i) {
        rejects[i] = MakeRejectRows(m_source.folder, Prefixes[i], file, QString(),
                                    workbook && m_source.format.header, m_source.rejectSeparator);
        if (auto* book = dynamic_cast<RejectBook*>(rejects[i].get()))
            book->whileWriting = [] {
                UserInterface().yield();
            };
    }
    // Unless kept below, every reject file goes with the builder's end.
    auto dropRejects = [&] {
        for (auto& r : rejects)
            r->settle(false);
    };

    FileSendLog(Tag + file + QStringLiteral(" dosyası açılıyor..."));
    TableFile reader;
    if (!reader.open(JoinPath(m_source.folder, file), m_source.format, m_source.sheet)) {
        m_error = reader.errorString();
        FileSendLog(Tag + file + QStringLiteral(" dosyası okunamadı: ") + m_error);
        dropRejects();
        return Result::Unreadable;
    }
    if (reader.isEmpty()) {
        FileSendWriteLog(Tag + file + QStringLiteral(" dosyada kayıt bulunamadı..."));
        dropRejects();
        return Result::Empty;
    }
    for (auto& r : rejects)
        r->setEncoding(reader.encoding());

    FileSendLog(Tag + file + QStringLiteral(" dosyası için mesaj paketi oluşturuluyor..."));
    UserInterface().yield();

    NumberScreen screen;
    try {
        screen = NumberScreen::forPolicy(policy);
    } catch (const std::exception& e) {
        // A commercial package is never built without its list.
        m_error = file + OptOutUnreadableText + ErrorText(e);
        FileSendLog(Tag + m_error);
        dropRejects();
        return Result::OptOutUnreadable;
    }
    const QString refusal = ReadRefusalText();
    m_lacksRefusalLine = LacksRefusalLine(policy, refusal);
    const MessageTemplate messageTemplate(templateText,
                                          RefusalEnding(policy, templateText, refusal));
    RowTester tester(messageTemplate, reader.columnIndex(gsmColumn));
    CostSettings cost = ReadCostSettings();
    cost.oneSmsOnly = cost.oneSmsOnly || oneSmsOnly;
    if (countSms)
        tester.countWith(cost);
    else
        tester.cleanWithoutCounting();
    tester.screenWith(screen);
    // A text file's rows told from its length and its first lines', so
    // that the numbers met do not grow through a file of a million; no row
    // with a number is shorter than ShortestNumberLine.
    const qint64 fileBytes = policy.oneMessagePerNumber && !reader.isWorkbook()
                                 ? QFileInfo(JoinPath(m_source.folder, file)).size()
                                 : 0;
    qint64 sampleChars = 0;
    int sampled = fileBytes > 0 ? 0 : SampleRows;
    QElapsedTimer sinceYield;
    sinceYield.start();
    int rows = 0;
    while (!m_cancel && reader.next()) {
        const TextRecord& row = reader.record();
        if (sampled < SampleRows) {
            sampleChars += row.writtenLength();
            if (++sampled == SampleRows)
                screen.expectRows(
                    std::min(fileBytes * SampleRows / std::max<qint64>(sampleChars, 1),
                             fileBytes / ShortestNumberLine));
        }
        const RowOutcome outcome = tester.test(row);
        if (outcome == RowOutcome::Queued) {
            list.append(tester.number(), tester.cleaned(), tester.parts());
            ++m_accepted;
        } else {
            const int i = rejectIndex(outcome);
            ++m_counts[i];
            rejects[i]->addRecord(row);
        }
        if (++rows == RowsBetweenLooks) {
            rows = 0;
            if (sinceYield.elapsed() >= YieldIntervalMs) {
                UserInterface().yield();
                if (onProgress)
                    onProgress(list);
                sinceYield.restart();
            }
        }
    }
    UserInterface().yield();

    if (m_cancel) {
        // Half a list would be sent as if it were the file.
        list.clear();
        dropRejects();
        return Result::Cancelled;
    }
    if (reader.hasError()) {
        m_error = reader.errorString();
        FileSendLog(Tag + file + QStringLiteral(" dosyası okunamadı: ") + m_error);
        list.clear();
        dropRejects();
        return Result::Unreadable;
    }
    // A package is only sent with its unsent rows on disk.
    for (auto& r : rejects) {
        if (!r->store()) {
            m_error = file + QStringLiteral(" dosyasının red satırları ") +
                      QFileInfo(r->path()).fileName() + QStringLiteral(" dosyasına yazılamadı: ") +
                      r->errorString() +
                      QStringLiteral(". Satırlar kaybolmasın diye paket gönderilmiyor.");
            FileSendLog(Tag + m_error);
            list.clear();
            dropRejects();
            return Result::RejectsNotWritten;
        }
    }
    for (auto& r : rejects) {
        if (r->count() > 0)
            m_kept << r->path();
        r->settle(true);
    }
    if (const QString left = ScreenedRowsText(optedOut(), repeated()); !left.isEmpty())
        FileSendWriteLog(Tag + file + left);
    if (onProgress)
        onProgress(list);
    return Result::Built;
}
