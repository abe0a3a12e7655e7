#pragma once
// The patch of two files, written where the user chooses.

#include "compare/PatchDiffRunner.h"

#include <QString>
#include <functional>

class Export_GenegatePatch_SettingView;

// Asks for the patch file in a save panel ("Patch_<date>_<time>.txt", the options view below it,
// its one-file option hidden), remembers the chosen options and writes diff's output there
// unchanged. True when the patch was written (it is then shown in the file manager) or the user
// cancelled. False when a file is missing, no options view is given, or diff or the writing
// failed; the file that was at the chosen path then stays as it was.
//
// runner, when given, runs the writing away from the window (with progress and Cancel) and
// answers whether the user cancelled; a cancelled patch writes nothing and answers true, as a
// cancelled panel does. Without a runner the writing runs here.
using PatchWriteRunner =
    std::function<bool(const std::function<void(const PatchCancelCheck &cancelled)> &write)>;
bool GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(
    const QString &file1, const QString &file2, Export_GenegatePatch_SettingView *view,
    const PatchWriteRunner &runner = {});
