#pragma once

#include <QString>

inline constexpr auto HelpFileName = "parlex.chm";
inline constexpr auto UserGuideFileName = "parlex.html";

// The help the help menu opens: a parlex.chm delivered into the program
// folder, else the user guide shipped beside the program. Empty when there
// is neither.
QString HelpDocumentPath(const QString& programFolder, const QString& executableFolder);
