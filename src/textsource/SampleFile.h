#pragma once

#include <QString>

#include "SchemaIni.h"

// The part of loading a sample file (the send wizard's "Gözat", the rule
// editor's "Belirle") that needs no window: the open dialog for data files
// and workbooks, the checks of the separator and header choices, and
// describing the chosen file's folder. The windows show the sample and fill
// their field lists.

// The texts in which the two windows differ.
struct SampleTexts {
    QString noSeparator;
    QString noHeader;
};
inline const SampleTexts WizardSampleTexts{
    QStringLiteral("Lütfen alan ayracını belirtiniz."),
    QStringLiteral("Lütfen başlık bilgisinin olup olmadığını belirtiniz.")};
inline const SampleTexts EditorSampleTexts{
    QStringLiteral("Alan ayracını belirtiniz."),
    QStringLiteral("Başlık bilgisinin olup olmadığını belirtiniz.")};

inline const QString NoFileChosenText = QStringLiteral("Dosya seçmediniz.");

// What the user chose in the window before the dialog opens.
struct SampleChoice {
    bool tab = false;      // the tab option, else the custom separator
    QString separatorText; // the custom separator as typed
    QString headerText;    // the header combo: "Var", "Yok" or blank
};

enum class SampleProblem { None, NoSeparator, NoHeader };
// The first choice still missing: a custom separator that is empty or one
// blank (unless `withSeparator` is false: a workbook has none), then a
// header answer that is empty or one blank.
SampleProblem CheckSampleChoice(const SampleChoice& choice, bool withSeparator = true);

// "T" for the tab, otherwise the custom separator; "E" or "H".
QString SampleSeparator(const SampleChoice& choice);
QString SampleHeaderFlag(const SampleChoice& choice);

// The open dialog's filter: data files, then workbooks.
inline const QString SampleFileFilter =
    QStringLiteral("Metin dosyaları (*.txt)|*.txt|Virgülle ayrılmış değerler (*.csv)|*.csv|"
                   "Çalışma kitapları (*.xlsx *.ods *.xls)|*.xlsx;*.ods;*.xls");

// The open dialog for data files and workbooks, through the Ui services; an
// empty text when the user cancels.
QString GetTextFileToOpen();

// A chosen file. A data file's folder is described in Schema.ini (failures
// shown in the "Şema bilgisi" box; the file is still read with the format
// chosen). A workbook's is not: nothing reads that description for it, and
// the separator it would carry was never asked for.
struct SampleFile {
    QString path;
    QString folder;
    QString file;
    TextFormat format;
    QString separator; // "T" or the custom one, for the reject files
    bool workbook = false;
    int sheet = 0; // of a workbook, counted from 0
};
SampleFile DescribeSampleFile(const QString& path, const SampleChoice& choice);
