#include "Settings.h"

#include <exception>

#include <QLoggingCategory>

#include "AppState.h"
#include "DatabaseSchema.h"
#include "DbRoutines.h"
#include "GatewayMode.h"

Q_LOGGING_CATEGORY(lcSettings, "parlex.settings")

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString hostParam(const char* name) {
    QString base = GetParam(QLatin1String(name)).trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

int digitAt(const QString& text, qsizetype index) {
    if (index >= text.size() || !text.at(index).isDigit())
        throw std::runtime_error("data-access version text is not dotted numbers");
    return text.at(index).digitValue();
}

qint32 parsePeriod(const QString& text) {
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    if (!ok)
        throw std::runtime_error("kontrol_periyot is not a whole number");
    return value;
}

} // namespace

QString MainSecureEndpoint() {
    return hostParam(ParamName::MainSecureAddress) + MainSecurePath;
}

QString MainPlainEndpoint() {
    return hostParam(ParamName::MainPlainAddress) + MainPlainPath;
}

bool IsDataAccessTooOld(const QString& version) {
    const int major = digitAt(version, 0);
    const int minor = digitAt(version, 2);
    return major < 2 || (major == 2 && minor < 5);
}

void CheckDataAccess() {
    AppState& app = App();
    app.gDataAccessVersion = Database::engineVersion();
    app.gDataAccessFound = !app.gDataAccessVersion.isEmpty();
}

QString LoadSettings() {
    AppState& app = App();
    QString cause;
    try {
        app.gStepError = QStringLiteral("Sistem bilgileri kontrol edilemiyor. ") + CRLF +
                         QStringLiteral("Sınırlı kullanıcı hesabıyla oturum açmış olabilirsiniz.");

        CheckDataAccess();
        if (app.gDataAccessFound && IsDataAccessTooOld(app.gDataAccessVersion)) {
            app.gStepError =
                QStringLiteral("Parlex veritabanına ulaşılamıyor.") + CRLF +
                QStringLiteral("Parlex veri tabanına bağlantı sağlayabilmek için bilgisayarınızda "
                               "MDAC 2.8 yüklü olması gerekmektedir.") +
                CRLF + QStringLiteral("Mevcut MDAC sürümünüz : ") + app.gDataAccessVersion + CRLF +
                DataAccessDownloadUrl +
                QStringLiteral(" adresinden en son MDAC sürümünü indirebilirsiniz");
        }

        OpenDatabase();
        Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM tbl_ayarlar"));

        app.gStepError = QStringLiteral("Sistem bilgileri kaydedilemiyor.") + CRLF +
                         QStringLiteral("Sınırlı kullanıcı hesabıyla oturum açmış olabilirsiniz") +
                         CRLF + QStringLiteral("Lütfen sistem yöneticinize başvurun.");
        app.gAdPageUrl = hostParam(ParamName::AdHostAddress) + AdPagePath;

        if (rs.isEmpty())
            return cause;

        app.gUserName.clear();
        app.gPassword.clear();
        app.gClientCode.clear();
        app.gRemember.clear();
        app.gCheckPeriod = parsePeriod(GetParam(QLatin1String(ParamName::CheckPeriod)));

        const QString mode = rs.text(QStringLiteral("flg_gw"));
        if (mode == QLatin1String("0")) {
            app.gGatewayMode = GatewayMode::Main;
            app.gGatewayUrl = MainSecureEndpoint();
            app.gRemember = rs.text(QStringLiteral("flg_kaydet"));
            if (app.gRemember == QLatin1String("1")) {
                app.gClientCode = rs.text(QStringLiteral("ckey"));
                app.gUserName = rs.text(QStringLiteral("kullanici_adi"));
                app.gPassword = rs.text(QStringLiteral("parola"));
            }
            app.gSettingsLoaded = true;
        } else if (mode == QLatin1String("1")) {
            app.gGatewayMode = GatewayMode::Hollin;
            app.gGatewayUrl = rs.text(QStringLiteral("url_hollin"));
            app.gRemember = rs.text(QStringLiteral("flg_kaydet_i"));
            if (app.gRemember == QLatin1String("1")) {
                app.gUserName = rs.text(QStringLiteral("kullanici_adi_i"));
                app.gPassword = rs.text(QStringLiteral("parola_i"));
            }
            app.gSettingsLoaded = true;
        } else {
            qCWarning(lcSettings).noquote() << "tbl_ayarlar.flg_gw is neither '0' nor '1':" << mode;
        }
    } catch (const std::exception& e) {
        // The box shows the step's text, and the cause when it is one the
        // user can do something about (a full disk, a locked file); the
        // details go to the log.
        qCWarning(lcSettings).noquote()
            << "settings could not be loaded:" << QString::fromUtf8(e.what());
        if (const auto* db = dynamic_cast<const DatabaseError*>(&e))
            cause = db->cause();
        UserInterface().error(QStringLiteral("Parlex"),
                              cause.isEmpty()
                                  ? app.gStepError
                                  : app.gStepError + CRLF + QStringLiteral("Neden: ") + cause);
    }
    return cause;
}
