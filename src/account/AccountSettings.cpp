#include "AccountSettings.h"

#include "core/AppState.h"
#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"
#include "core/GatewayMode.h"
#include "core/Routines.h"
#include "core/Settings.h"
#include "gateway/Gateway.h"
#include "textsource/MessageCost.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString AccountsTitle = QStringLiteral("Parlex Kullanıcı hesapları");
const QString CredentialsError =
    QStringLiteral("Girmiş olduğunuz kullanıcı bilgilerinde hata var.Lütfen kontrol ediniz.");

bool isBlank(const QString& text) {
    return text.isEmpty() || text == QLatin1String(" ");
}

QString connectionError() {
    return QStringLiteral("internet bağlantınızdaki bir sorundan dolayı Mesaj merkezine "
                          "ulaşılamıyor.") +
           CRLF +
           QStringLiteral("İnternet bağlantınız, kapalı olabilir ya da bir güvenlik uygulaması "
                          "denetiminde olabilir.") +
           CRLF + QStringLiteral("Lütfen internet bağlantınızı kontrol ediniz.");
}

bool isConnectionFailure(const QString& reply) {
    return reply == QLatin1String("-1") || IsHtmlReply(reply);
}

SaveOutcome stop(int tab, const char* focus) {
    return SaveOutcome{false, tab, QLatin1String(focus)};
}

QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

std::optional<qint32> PeriodMilliseconds(const QString& secondsText) {
    const QString text = secondsText.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // Digits only: toInt would take a sign, and the stored text must read
    // back as the same number at the next start.
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok);
    if (!ok || seconds > LongestPeriodSeconds)
        return std::nullopt;
    return static_cast<qint32>(seconds * 1000);
}

SaveOutcome SaveAccountSettings(const AccountForm& form) {
    UiServices& ui = UserInterface();
    const std::optional<qint32> period = PeriodMilliseconds(form.periodText);
    if (!period) {
        ui.information(QStringLiteral("Parlex"),
                       QStringLiteral("Otomatik gönderim hizmeti kontrol süresi saniye olarak, "
                                      "tam sayı ile yazılmalıdır (en çok %1).")
                           .arg(LongestPeriodSeconds));
        return stop(0, "txtOtoTime");
    }
    if (*period < 60000) {
        ui.information(QStringLiteral("Parlex"),
                       QStringLiteral("Otomatik gönderim hizmeti kontrol süresi en az 60 saniye "
                                      "(1 dakika) olabilir."));
        return stop(0, "txtOtoTime");
    }

    const int suffix = OperatorSuffixFromText(form.operatorSuffixText);
    if (suffix < 0) {
        ui.information(QStringLiteral("Parlex"),
                       QStringLiteral("Operatör eki karakter sayısı olarak, 0 ile %1 arasında "
                                      "bir tam sayı ile yazılmalıdır.")
                           .arg(LongestOperatorSuffix));
        return stop(0, "txtOperatorEki");
    }

    const bool main = form.mainAccount;
    const char* userBox = main ? "txtUserName_m" : "txtUserName_i";
    if (!main && isBlank(form.hollinUrl)) {
        ui.error(QStringLiteral("Parlex Genel ayarlar"),
                 QStringLiteral("Lütfen Hollin uygulamasının bulunduğu adresi belirtin."));
        return stop(0, "txtHollinYolu");
    }
    const QString userName = main ? form.userName_m : form.userName_i;
    const QString password = main ? form.password_m : form.password_i;
    if (isBlank(userName) || isBlank(password) || (main && isBlank(form.clientCode_m))) {
        ui.error(AccountsTitle, CredentialsError);
        return stop(1, userBox);
    }

    // Always the address in effect: a new Hollin address is tried only once
    // the window has made it the running one.
    const QString reply = Gateway().GetInfo(
        main ? userName + QLatin1Char('-') + form.clientCode_m : userName, password);
    if (reply == QLatin1String("01")) {
        ui.error(AccountsTitle, CredentialsError);
        return stop(1, userBox);
    }
    if (isConnectionFailure(reply)) {
        ui.error(AccountsTitle, connectionError());
        return {};
    }
    if (!main && IsInReplyCodeList(reply))
        return {};

    if (main)
        SaveAccount(userName, password, form.clientCode_m, flag(form.remember_m), GatewayMode::Main,
                    QString());
    else
        SaveAccount(userName, password, QString(), flag(form.remember_i), GatewayMode::Hollin,
                    form.hollinUrl);
    SetParam(QLatin1String(ParamName::CheckPeriod), QString::number(*period));
    SetParam(QLatin1String(ParamName::OperatorSuffix), QString::number(suffix));
    SetParam(QLatin1String(ParamName::OneSmsOnly), flag(form.oneSmsOnly));
    SetParam(QLatin1String(ParamName::RefusalText), form.refusalText.trimmed());
    ui.information(AccountsTitle, QStringLiteral("Kullanıcı bilgileriniz başarıyla kaydedildi."));
    return SaveOutcome{true, -1, QString()};
}

void ApplyAccountForm(const AccountForm& form) {
    // Read before anything changes: a failing read leaves the running
    // account whole, never one mode's name with the other's address.
    const QString url = form.mainAccount ? MainPlainEndpoint() : form.hollinUrl;
    AppState& app = App();
    if (form.mainAccount) {
        app.gUserName = form.userName_m;
        app.gPassword = form.password_m;
        app.gClientCode = form.clientCode_m;
        app.gRemember = flag(form.remember_m);
        app.gGatewayMode = GatewayMode::Main;
    } else {
        app.gUserName = form.userName_i;
        app.gPassword = form.password_i;
        app.gRemember = flag(form.remember_i);
        app.gGatewayMode = GatewayMode::Hollin;
    }
    app.gGatewayUrl = url;
}

void ShowCredit() {
    const std::optional<AccountInfo> account = AskAccountInfo();
    if (!account) {
        UserInterface().error(QStringLiteral("Parlex Kullanıcı ayarları"), connectionError());
        return;
    }
    UserInterface().information(
        QStringLiteral("Parlex Kullanıcı ayarları"),
        QStringLiteral("Hesabınızda ") + account->creditText +
            QStringLiteral(" kontör bulunmaktadır.") + CRLF +
            QStringLiteral("NOT: Otomatik gönderim hizmeti açıksa bu değer değişebilir."));
}
