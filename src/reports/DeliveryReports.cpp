#include "DeliveryReports.h"

#include <exception>

#include <QDomDocument>
#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/Routines.h"
#include "gateway/Gateway.h"

Q_LOGGING_CATEGORY(lcReports, "parlex.reports")

namespace {

using Kind = UiServices::BoxKind;
const QString Crlf = QStringLiteral("\r\n");
const QString Warning = QStringLiteral("Uyarı");
const QString Fetching =
    QStringLiteral("Raporunuz Mesaj Merkezinden Çekiliyor...Lütfen Bekleyiniz.");
const QString Counting =
    QStringLiteral("Raporunuzdaki Kayıt Sayısı Hesaplanıyor...Lütfen Bekleyiniz.");
const QString Building = QStringLiteral("Rapor Listesi Oluşturuluyor...Lütfen Bekleyiniz.");
const QString NothingFound = QStringLiteral("Herhangi bir gönderim bulunamadı.");
const QString WrongCredentials = QStringLiteral("Hatalı Kullanıcı Adı veya Parola");
const QString NoSmsInRange = QStringLiteral("Bu Tarihler Arasında Gönderilmiş SMS Bulunamadı");
const QString CheckConnection = QStringLiteral("Lütfen İnternet Bağlantınızı Kontrol Ediniz");

void status(ReportOutcome& outcome, const QString& text) {
    SetStatusText(text);
    outcome.message = text;
}

void box(ReportOutcome& outcome, Kind kind, const QString& title, const QString& text) {
    qCInfo(lcReports).noquote() << "report box:" << text;
    outcome.end = ReportOutcome::End::Failed;
    outcome.message = text;
    UserInterface().showMessage(kind, title, text);
}

// A gateway that ends its lines with CR LF ends a short code with them too.
QString codeOf(const QString& reply) {
    return reply.size() <= 8 ? reply.trimmed() : reply;
}

// A proxy's page shows itself in its first lines; a report of a million
// lines is not searched through for it.
bool isHtmlPage(const QString& reply) {
    return IsHtmlReply(reply.left(65536));
}

bool isCredentialsCode(const QString& code) {
    return code == QLatin1String("01") || code == QLatin1String("03") ||
           code == QLatin1String("04") || code == QLatin1String("05");
}

// The code replies a status report can get instead of lines, read alike by
// the package and the date-range report. True when `reply` was one and its
// box has been shown.
bool shownCodeReply(const QString& reply, ReportOutcome& outcome) {
    const QString code = codeOf(reply);
    if (isHtmlPage(reply))
        box(outcome, Kind::Error, Warning,
            CheckConnection +
                QStringLiteral(". Bir Güvenlik Uygulaması Internet Bağlantınızı Denetliyor "
                               "Olabilir."));
    else if (isCredentialsCode(code))
        box(outcome, Kind::Error, Warning, WrongCredentials);
    else if (code == QLatin1String("100"))
        box(outcome, Kind::Error, QStringLiteral("Uyar"),
            QStringLiteral("Server Yoğun Lütfen Daha Sonra Tekrar Deneyiniz"));
    else if (code == QLatin1String("17"))
        box(outcome, Kind::Error, QStringLiteral("Uyar"), QStringLiteral("Hatalı Tarih Girişi"));
    else if (code == QLatin1String("18"))
        box(outcome, Kind::Information, QStringLiteral("Uyar"),
            QStringLiteral("Bu Tarihler Arasında Gönderilmiş Rapor Yok."));
    else if (code == QLatin1String("08"))
        box(outcome, Kind::Information, Warning, NothingFound);
    else if (code == QLatin1String("19") || (!code.isEmpty() && !code.contains(u'\n') &&
                                             IsInReplyCodeList(code) && code.size() >= 2))
        box(outcome, Kind::Error, QStringLiteral("Uyar"), QStringLiteral("Tanımlanamıyan Hata."));
    else
        return false;
    outcome.reply = code;
    return true;
}

struct Account {
    QString user = App().gatewayUserName();
    QString password = App().gPassword;
};

// Asks the gateway for a report as the running account. "-1" as for a lost
// connection also when a server's error page came: its text would read as
// an empty report.
template <typename Ask> QString asked(Ask ask) {
    const Account account;
    Gateway gateway;
    gateway.setBreath([] { UserInterface().yield(); });
    const QString reply = ask(gateway, account);
    const int status = gateway.lastExchange().httpStatus;
    if (reply == QLatin1String("-1") || (status >= 200 && status <= 299) || isHtmlPage(reply))
        return reply;
    qCWarning(lcReports).noquote() << "the gateway answered a report with HTTP" << status;
    return QStringLiteral("-1");
}

void startRun(const ReportView& view) {
    AppState& app = App();
    app.gProgressDone = 0;
    app.gProgressTotal = 0;
    app.gReportCancel = false;
    if (view.started)
        view.started();
}

// Lists the reply's lines and says on the status bar how the listing ended.
// A bad line raises: the report ends through its error path, the rows before
// it kept.
void listing(const QString& reply, StatusList& list, ReportOutcome& outcome, const ReportView& view,
             bool statusLines, const QString& cancelledText, const QString& doneText) {
    // An empty answer is an empty report, not a fetch still going on.
    if (reply.isEmpty()) {
        status(outcome, NothingFound);
        return;
    }
    status(outcome, Counting);
    UserInterface().yield();
    status(outcome, Building);
    UserInterface().yield();
    auto shown = [&] {
        if (view.shown)
            view.shown(outcome.counters);
    };
    const LinesRun run = statusLines ? ListStatusLines(reply, list, outcome.counters, shown)
                                     : ListPackageLines(reply, list, outcome.counters, shown);
    if (run.end == LinesRun::End::BadLine)
        throw std::runtime_error(run.description().toStdString());
    if (run.end == LinesRun::End::Cancelled) {
        outcome.end = ReportOutcome::End::Cancelled;
        status(outcome, cancelledText);
    } else {
        status(outcome, list.totalCount() == 0 ? NothingFound : doneText);
    }
}

} // namespace

QString ReportDate(QDate date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

bool IsReportGsmNo(const QString& text) {
    if (text.size() != 10 || !text.startsWith(u'5'))
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

ReportOutcome RaporCek(const QString& msgId, StatusList& list, const ReportView& view) {
    ReportOutcome outcome;
    try {
        status(outcome, Fetching);
        UserInterface().yield();
        const QString reply = asked([&](Gateway& gateway, const Account& account) {
            return gateway.getmsgstatus(account.user, account.password, msgId);
        });
        if (reply == QLatin1String("-1")) {
            box(outcome, Kind::Information, Warning,
                QStringLiteral("Bağlantı Hatası! İnternete Bağlı Olmadan Rapor "
                               "Görüntüleyemezsiniz") +
                    Crlf +
                    QStringLiteral("İnternet bağlantınızı denetleyen bir güvenlik uygulaması "
                                   "Parlex'in internete çıkışını engelliyor olabilir."));
            return outcome;
        }
        UserInterface().yield();
        list.clear();
        if (view.cleared)
            view.cleared();
        startRun(view);
        if (shownCodeReply(reply, outcome))
            return outcome;
        listing(reply, list, outcome, view, true, QStringLiteral("Raporlama İşlem iptal edildi."),
                QStringLiteral("Rapor oluşturuldu."));
    } catch (const std::exception& e) {
        box(outcome, Kind::Error, Warning,
            QStringLiteral("Tanımlanamayan bir hata Oluştu.") + Crlf +
                QStringLiteral("Sistemin ürettiği hata mesajı : ") + QString::fromUtf8(e.what()));
    }
    return outcome;
}

ReportOutcome RaporCek2(QDate first, QDate last, StatusList& list, const ReportView& view) {
    ReportOutcome outcome;
    try {
        status(outcome, Fetching);
        UserInterface().yield();
        const QString reply = asked([&](Gateway& gateway, const Account& account) {
            return gateway.getmsgstatustodate(account.user, account.password, ReportDate(first),
                                              ReportDate(last));
        });
        if (reply == QLatin1String("-1")) {
            box(outcome, Kind::Information, Warning,
                QStringLiteral("İnternete Bağlı Olmadan Rapor Görüntüleyemezsiniz"));
            return outcome;
        }
        UserInterface().yield();
        list.clear();
        if (view.cleared)
            view.cleared();
        if (shownCodeReply(reply, outcome)) {
            return outcome;
        }
        startRun(view);
        listing(reply, list, outcome, view, true, QStringLiteral("Raporlama İşlem iptal edildi."),
                QStringLiteral("Rapor listesi oluşturuldu."));
    } catch (const std::exception& e) {
        box(outcome, Kind::Error, Warning,
            App().gReportStep +
                QStringLiteral(" Bir Hata Oluştu. Lütfen İnternet Bağlantınızı Kontrol Ediniz") +
                QString::fromUtf8(e.what()) + Crlf +
                QStringLiteral("İnternete Bağlı Olmadan Rapor Güncelleyemezsiniz."));
    }
    return outcome;
}

ReportOutcome NumberReport(const QString& gsmNo, QDate first, QDate last, StatusList& list,
                           const ReportView& view) {
    ReportOutcome outcome;
    if (!IsReportGsmNo(gsmNo)) {
        box(outcome, Kind::Information, Warning, QStringLiteral("GSMNo Alanını Kontrol Ediniz"));
        outcome.end = ReportOutcome::End::Refused;
        return outcome;
    }
    try {
        status(outcome, Fetching);
        UserInterface().yield();
        const QString reply = asked([&](Gateway& gateway, const Account& account) {
            return gateway.getmsgidtodate(account.user, account.password, gsmNo, ReportDate(first),
                                          ReportDate(last));
        });
        const QString code = codeOf(reply);
        if (reply == QLatin1String("-1") || isHtmlPage(reply))
            box(outcome, Kind::Error, Warning,
                CheckConnection +
                    QStringLiteral(". Bir Güvenlik Uygulaması Internet Bağlantınızı Denetliyor "
                                   "Olabilir."));
        else if (code == QLatin1String("08"))
            box(outcome, Kind::Information, Warning, NoSmsInRange);
        else
            shownCodeReply(reply, outcome);
        if (outcome.end == ReportOutcome::End::Failed) {
            outcome.reply = code;
            SetStatusText(QStringLiteral("Hazır"));
            return outcome;
        }
        App().gReportStep = QStringLiteral("1");
        list.clear();
        if (view.cleared)
            view.cleared();
        startRun(view);
        listing(reply, list, outcome, view, false, QStringLiteral("Raporlama işlemi durduruldu."),
                QStringLiteral("Rapor listesi oluşturuldu."));
    } catch (const std::exception& e) {
        qCWarning(lcReports).noquote() << "number report:" << e.what();
        box(outcome, Kind::Error, Warning, App().gReportStep + CheckConnection);
    }
    return outcome;
}

QString MesajGoster(const QString& gsmNo, const QString& msgId, bool fromNumberTab) {
    AppState& app = App();
    ReportOutcome outcome;
    const QString connection =
        QStringLiteral("Bağlantı hatası! Lütfen internet bağlantınızı kontrol ediniz.") + Crlf;
    try {
        app.gStepError =
            QStringLiteral("Bağlantı Hatası! Lütfen Internet Explorer sürümünüzü kontrol ediniz");
        UserInterface().yield();
        app.gStepError = QStringLiteral("Bağlantı Hatası! Mesaj merkezine bağlanılamıyor");
        const QString reply = asked([&](Gateway& gateway, const Account& account) {
            return gateway.getmsgbody(account.user, account.password, gsmNo, msgId);
        });
        const QString code = codeOf(reply);
        if (reply == QLatin1String("-1") || isHtmlPage(reply))
            box(outcome, Kind::Error, Warning,
                fromNumberTab
                    ? CheckConnection
                    : connection + QStringLiteral("İnternet Bağlantınız kapalı ya da bir güvenlik "
                                                  "uygulaması internet bağlantınızı kontrol "
                                                  "ediyor olabilir."));
        else if (code == QLatin1String("04") && !fromNumberTab)
            box(outcome, Kind::Error, Warning,
                connection + QStringLiteral("Proxy ya da güvenlik duvarı ayarlarınız programın "
                                            "çalışmasına izin vermiyor olabilir."));
        else if (isCredentialsCode(code))
            box(outcome, Kind::Error, Warning, WrongCredentials);
        else if (code == QLatin1String("08"))
            box(outcome, Kind::Information, Warning, NoSmsInRange);
        if (outcome.end == ReportOutcome::End::Failed)
            return QString();

        QDomDocument document;
        if (!document.setContent(reply))
            throw std::runtime_error("not an XML document");
        const QDomNodeList bodies = document.elementsByTagName(QStringLiteral("msgbody"));
        if (bodies.isEmpty())
            throw std::runtime_error("no msgbody element");
        QString text = msgId + QStringLiteral(" mesaj paketindeki ") + gsmNo;
        if (bodies.size() < 2) {
            text += QStringLiteral(" numaralı GSM hattına giden mesaj :") + Crlf + Crlf +
                    bodies.at(0).toElement().text();
        } else {
            text += QStringLiteral(" numaralı GSM hattına giden mesajlar :") + Crlf + Crlf;
            for (int i = 0; i < bodies.size(); ++i)
                text += QStringLiteral("Mesaj %1 : ").arg(i + 1) + bodies.at(i).toElement().text() +
                        Crlf;
        }
        UserInterface().information(QStringLiteral("Parlex"), text);
        return text;
    } catch (const std::exception& e) {
        qCWarning(lcReports).noquote() << "message text:" << e.what();
        box(outcome, Kind::Error, Warning,
            fromNumberTab
                ? QStringLiteral("Tanımlanamıyan Hata Oluştu") + QString::fromUtf8(e.what())
                : app.gStepError);
    }
    return QString();
}
