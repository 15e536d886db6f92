#pragma once

#include <QStringList>

// Statements that create the program's tables, triggers and delivered rows
// in an empty database file, at the newest schema version.
QStringList SchemaStatements();

// Statements that bring a database of schema version `from` to the next one.
QStringList SchemaUpgradeStatements(int from);

// Names of the configuration rows of tbl_param that are not the program's
// classic three.
namespace ParamName {
inline constexpr auto CheckPeriod = "kontrol_periyot";
inline constexpr auto AutoSendSwitch = "flg_parlex";
inline constexpr auto Extensions = "uzantilar";
inline constexpr auto MainSecureAddress = "merkez_guvenli_adres"; // https://host[:port]
inline constexpr auto MainPlainAddress = "merkez_adres";          // http://host[:port]
inline constexpr auto AdHostAddress = "reklam_adres";
inline constexpr auto WebClientHostAddress = "websms_adres";
inline constexpr auto SupportHostAddress = "destek_adres";
inline constexpr auto DefaultCompanyCode = "firma_kodu";
// Characters operators append to every bulk SMS ("5" when missing).
inline constexpr auto OperatorSuffix = "operator_eki";
// "1": rows that would cost more than one SMS are not sent.
inline constexpr auto OneSmsOnly = "flg_tek_sms";
// Appended to every message of a commercial package that lacks it ("" none).
inline constexpr auto RefusalText = "ret_metni";
} // namespace ParamName
