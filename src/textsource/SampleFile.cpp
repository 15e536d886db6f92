#include "SampleFile.h"

#include <QDir>

#include "core/AppState.h"
#include "core/UiServices.h"
#include "spreadsheet/TableFile.h"

namespace {

// Empty, or a single blank, counts as no answer in every box.
bool isBlank(const QString& text) {
    return text.isEmpty() || text == QLatin1String(" ");
}

} // namespace

SampleProblem CheckSampleChoice(const SampleChoice& choice, bool withSeparator) {
    if (withSeparator && !choice.tab && isBlank(choice.separatorText))
        return SampleProblem::NoSeparator;
    if (isBlank(choice.headerText))
        return SampleProblem::NoHeader;
    return SampleProblem::None;
}

QString SampleSeparator(const SampleChoice& choice) {
    return choice.tab ? QStringLiteral("T") : choice.separatorText;
}

QString SampleHeaderFlag(const SampleChoice& choice) {
    return choice.headerText == QLatin1String("Var") ? QStringLiteral("E") : QStringLiteral("H");
}

QString GetTextFileToOpen() {
    // The home folder stands in for the root of the current drive: users
    // keep their lists there, and the root is rarely where they are.
    return UserInterface().getOpenFileName(QStringLiteral("Örnek dosya"), QDir::homePath(),
                                           SampleFileFilter);
}

SampleFile DescribeSampleFile(const QString& path, const SampleChoice& choice) {
    const ChosenPath chosen = SplitChosenPath(path);
    SampleFile sample;
    sample.path = path;
    sample.folder = chosen.folder;
    sample.file = chosen.file;
    sample.separator = SampleSeparator(choice);
    sample.workbook = IsWorkbookName(chosen.file);
    const QString header = SampleHeaderFlag(choice);
    if (!sample.workbook)
        WriteSchemaIni(chosen.folder, sample.separator, header);
    sample.format = RuleTextFormat(sample.separator, header);
    return sample;
}
