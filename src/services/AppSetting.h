#pragma once
// The settings record: one packed structure of plain fields, stored whole as raw bytes under the
// user default "gAppSetting.data". Byte positions are those of the stored record and must never
// move: a record written by any earlier version is read back field by field.
//
// Fields without a fixed position of their own were put into bytes that no other field uses:
//
//   | byte      | width    | field                                  |
//   |-----------|----------|----------------------------------------|
//   | 267 - 286 | 20 bytes | bAutoHightLightText_WithLanguage       |
//   | 554       | byte     | compareSubFolder                       |
//   | 555       | byte     | searchString_regex                     |
//   | 556       | byte     | searchString_regex_matchWholeString    |
//   | 557 - 560 | 32-bit   | compare_folderViewMode                 |
//
// The record is packed, so multi-byte fields may be misaligned: copy a field into a local before
// passing it by reference (std::min, std::clamp, test macros); plain reads and writes are fine.
//
// Byte 27 has two readers (grid snapping and the transparency sample's line-grid style); it is
// the one field gridSnap.
//
// Defaults (AppSetting_SetDefault) where none was given elsewhere:
//   tab width 4; text size 12.0; editor font "" (the default fixed-pitch font); interface
//   language "" (system default); default text extension "txt"; save encoding UTF-8 (4), line end
//   LF, no byte-order mark, permissions rw-r--r--; view marks off with tab and line-end marks on;
//   line numbers, auto-indent, automatic highlighting, auto-save of untitled texts, smart copy
//   and paste on; wrap, link detection, the other smart substitutions and the spelling flags
//   off; folders shown, folders above files, deletion to the Trash, next difference after a
//   merge, default status colours, hidden files ignored, sub-folders compared: on; folder-compare
//   mode 0 (size and date), list view; print margins 36, print centring horizontal on; grid size
//   20, unit "pt", unit factor 1.0.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstddef>

#pragma pack(push, 1)
struct AppSetting
{
    quint8 reserved_0[19];                             // 0
    qint32 strokeModeForAreaMeasure;                   // 19: 0, 1, 2
    qint32 gridSize;                                   // 23: points
    quint8 gridSnap;                                   // 27: also: transparency sample as line grid
    quint64 gridColor;                                 // 28: colour word, 0 = built-in
    float unitFactor;                                  // 36
    char unitName[101];                                // 40: UTF-8
    quint8 reserved_141;                               // 141
    quint8 bFeetDisplayOff;                            // 142: cleared by every load
    quint8 bDecimalInches;                             // 143: cleared by every load
    quint8 reserved_144[21];                           // 144
    qint32 printPage_Hor;                              // 165
    qint32 printPage_Ver;                              // 169
    qint32 printMargin_L;                              // 173
    qint32 printMargin_R;                              // 177
    qint32 printMargin_T;                              // 181
    qint32 printMargin_B;                              // 185
    qint32 printCenter_Hor;                            // 189
    qint32 printCenter_Ver;                            // 193
    quint8 reserved_197[3];                            // 197
    quint64 open_preferEncode;                         // 200: 0 = automatic
    quint8 bOpenNewFileInSeparateDocumentWindow;       // 208
    char defaultSaveTextExtension[19];                 // 209
    quint8 reserved_228;                               // 228
    quint8 bSave_IgnoreCoding_UseCustomCoding;         // 229
    quint64 save_Coding_preferEncode;                  // 230
    qint32 save_Coding_EndLine;                        // 238: 0 LF, 1 CR, 2 CRLF
    quint8 save_Coding_BOM;                            // 242
    quint8 bSave_IgnorePermission_UseCustomPermission; // 243
    quint8 save_Permission_Owner_R;                    // 244
    quint8 save_Permission_Owner_W;                    // 245
    quint8 save_Permission_Owner_X;                    // 246
    quint8 save_Permission_Group_R;                    // 247
    quint8 save_Permission_Group_W;                    // 248
    quint8 save_Permission_Group_X;                    // 249
    quint8 save_Permission_Others_R;                   // 250
    quint8 save_Permission_Others_W;                   // 251
    quint8 save_Permission_Others_X;                   // 252
    quint8 save_OverwriteBackupToTmp;                  // 253
    quint8 bViewMarks;                                 // 254
    quint8 bViewMarks_showSpace;                       // 255
    quint8 bViewMarks_showTab;                         // 256
    quint8 bViewMarks_showEOL;                         // 257
    qint32 textTabLen;                                 // 258: 2 .. 30
    quint8 bWrapText;                                  // 262
    quint8 bAutoIndent;                                // 263
    quint8 bAutoSaveUntitleTabBeforeQuit;              // 264
    quint8 bAllowDetectLink;                           // 265
    quint8 bAutoHightLightText;                        // 266
    char bAutoHightLightText_WithLanguage[20];         // 267: shown language name, "" = none
    quint8 bShowLineNumber;                            // 287
    quint8 bShowEndOfLineMark;                         // 288
    quint8 reserved_289;                               // 289
    quint8 bIgnore_MacHiddenFile;                      // 290: hide names beginning with a dot
    quint8 CheckSpellingWhileTyping;                   // 291
    quint8 CheckGrammarWithSpelling;                   // 292
    quint8 CorrectSpellingAutomatically;               // 293
    quint8 ShowRuler;                                  // 294
    quint8 DataDetectors;                              // 295
    quint8 SmartCopyPaste;                             // 296
    quint8 SmartQuotes;                                // 297
    quint8 SmartDashes;                                // 298
    quint8 SmartLinks;                                 // 299
    quint8 TextReplacement;                            // 300
    double textSize;                                   // 301: 6 .. 50
    quint8 reserved_309[8];                            // 309
    char fontName[101];                                // 317: UTF-8, "" = default fixed-pitch font
    quint8 reserved_418[2];                            // 418
    quint8 compare_autoMoveToNextDiffAfterMerge;       // 420
    quint8 compare_sort_folder_tree_above_file;        // 421
    quint8 compare_deletesFilesToTrash;                // 422
    quint8 reserved_423[8];                            // 423
    quint8 compare_showFolder;                         // 431
    quint8 reserved_432[12];                           // 432
    quint64 compare_COLOR_DIFF;                        // 444: colour words, 0 = built-in
    quint64 compare_COLOR_UNKNOWN;                     // 452
    quint64 compare_COLOR_ONLY1;                       // 460
    quint64 compare_COLOR_ONLY2;                       // 468
    quint64 compare_COLOR_SAME;                        // 476
    char languageCode[49];                    // 484: interface language, "" = system default
    quint8 reserved_533;                      // 533
    qint32 settingDialogLastTabIndex;         // 534
    quint8 compare_FileList_bUseDefaultColor; // 538
    quint8 bIsDarkMode;                       // 539: 1 dark, 0 light
    quint8 bThemeIsCustomByUser;              // 540
    quint8 reserved_541[5];                   // 541
    quint8 folder_compare_ignore_EndLineDiff; // 546
    qint32 folder_compare_Mode;               // 547: 0 size+date, 1 size, 2 date, 3 content
    quint8 spelling_AutomaticSpellingCorrectionEnabled; // 551
    quint8 spelling_GrammarCheckingEnabled;             // 552
    quint8 spelling_ContinuousSpellCheckingEnabled;     // 553
    quint8 compareSubFolder;                            // 554
    quint8 searchString_regex;                          // 555
    quint8 searchString_regex_matchWholeString;         // 556
    qint32 compare_folderViewMode;                      // 557: 0 list, 1 tree
    quint8 reserved_561[4];                             // 561
};
#pragma pack(pop)

static_assert(sizeof(AppSetting) == 565, "the stored record is 565 bytes");
static_assert(offsetof(AppSetting, strokeModeForAreaMeasure) == 19);
static_assert(offsetof(AppSetting, gridSize) == 23);
static_assert(offsetof(AppSetting, gridSnap) == 27);
static_assert(offsetof(AppSetting, gridColor) == 28);
static_assert(offsetof(AppSetting, unitFactor) == 36);
static_assert(offsetof(AppSetting, unitName) == 40);
static_assert(offsetof(AppSetting, bFeetDisplayOff) == 142);
static_assert(offsetof(AppSetting, bDecimalInches) == 143);
static_assert(offsetof(AppSetting, printPage_Hor) == 165);
static_assert(offsetof(AppSetting, printPage_Ver) == 169);
static_assert(offsetof(AppSetting, printMargin_L) == 173);
static_assert(offsetof(AppSetting, printMargin_R) == 177);
static_assert(offsetof(AppSetting, printMargin_T) == 181);
static_assert(offsetof(AppSetting, printMargin_B) == 185);
static_assert(offsetof(AppSetting, printCenter_Hor) == 189);
static_assert(offsetof(AppSetting, printCenter_Ver) == 193);
static_assert(offsetof(AppSetting, open_preferEncode) == 200);
static_assert(offsetof(AppSetting, bOpenNewFileInSeparateDocumentWindow) == 208);
static_assert(offsetof(AppSetting, defaultSaveTextExtension) == 209);
static_assert(offsetof(AppSetting, bSave_IgnoreCoding_UseCustomCoding) == 229);
static_assert(offsetof(AppSetting, save_Coding_preferEncode) == 230);
static_assert(offsetof(AppSetting, save_Coding_EndLine) == 238);
static_assert(offsetof(AppSetting, save_Coding_BOM) == 242);
static_assert(offsetof(AppSetting, bSave_IgnorePermission_UseCustomPermission) == 243);
static_assert(offsetof(AppSetting, save_Permission_Owner_R) == 244);
static_assert(offsetof(AppSetting, save_Permission_Others_X) == 252);
static_assert(offsetof(AppSetting, save_OverwriteBackupToTmp) == 253);
static_assert(offsetof(AppSetting, bViewMarks) == 254);
static_assert(offsetof(AppSetting, bViewMarks_showEOL) == 257);
static_assert(offsetof(AppSetting, textTabLen) == 258);
static_assert(offsetof(AppSetting, bWrapText) == 262);
static_assert(offsetof(AppSetting, bAutoIndent) == 263);
static_assert(offsetof(AppSetting, bAutoSaveUntitleTabBeforeQuit) == 264);
static_assert(offsetof(AppSetting, bAllowDetectLink) == 265);
static_assert(offsetof(AppSetting, bAutoHightLightText) == 266);
static_assert(offsetof(AppSetting, bAutoHightLightText_WithLanguage) == 267);
static_assert(offsetof(AppSetting, bShowLineNumber) == 287);
static_assert(offsetof(AppSetting, bShowEndOfLineMark) == 288);
static_assert(offsetof(AppSetting, bIgnore_MacHiddenFile) == 290);
static_assert(offsetof(AppSetting, CheckSpellingWhileTyping) == 291);
static_assert(offsetof(AppSetting, TextReplacement) == 300);
static_assert(offsetof(AppSetting, textSize) == 301);
static_assert(offsetof(AppSetting, fontName) == 317);
static_assert(offsetof(AppSetting, compare_autoMoveToNextDiffAfterMerge) == 420);
static_assert(offsetof(AppSetting, compare_sort_folder_tree_above_file) == 421);
static_assert(offsetof(AppSetting, compare_deletesFilesToTrash) == 422);
static_assert(offsetof(AppSetting, compare_showFolder) == 431);
static_assert(offsetof(AppSetting, compare_COLOR_DIFF) == 444);
static_assert(offsetof(AppSetting, compare_COLOR_UNKNOWN) == 452);
static_assert(offsetof(AppSetting, compare_COLOR_ONLY1) == 460);
static_assert(offsetof(AppSetting, compare_COLOR_ONLY2) == 468);
static_assert(offsetof(AppSetting, compare_COLOR_SAME) == 476);
static_assert(offsetof(AppSetting, languageCode) == 484);
static_assert(offsetof(AppSetting, settingDialogLastTabIndex) == 534);
static_assert(offsetof(AppSetting, compare_FileList_bUseDefaultColor) == 538);
static_assert(offsetof(AppSetting, bIsDarkMode) == 539);
static_assert(offsetof(AppSetting, bThemeIsCustomByUser) == 540);
static_assert(offsetof(AppSetting, folder_compare_ignore_EndLineDiff) == 546);
static_assert(offsetof(AppSetting, folder_compare_Mode) == 547);
static_assert(offsetof(AppSetting, spelling_AutomaticSpellingCorrectionEnabled) == 551);
static_assert(offsetof(AppSetting, spelling_GrammarCheckingEnabled) == 552);
static_assert(offsetof(AppSetting, spelling_ContinuousSpellCheckingEnabled) == 553);
static_assert(offsetof(AppSetting, compareSubFolder) == 554);
static_assert(offsetof(AppSetting, searchString_regex) == 555);
static_assert(offsetof(AppSetting, searchString_regex_matchWholeString) == 556);
static_assert(offsetof(AppSetting, compare_folderViewMode) == 557);

// The one process-wide record, read directly by every part of the application.
extern AppSetting gAppSetting;

// Path histories of the start window (most recent first; null lists until the settings are
// loaded) and the extensions the folder compare treats as text (lower case).
extern QStringList *gAppSetting_compare_leftHistoryPaths;
extern QStringList *gAppSetting_compare_rightHistoryPaths;
extern QStringList *gAppSetting_compare_listOfTextSupportFileExt;

// Set at start-up when the support folder's first-run marker was missing.
extern bool gIsFirstRun;

inline constexpr const char *kAppSettingDataKey = "gAppSetting.data";
inline constexpr const char *kAppFirstTimeWithVersionKey = "AppFirstTimeWithVersion2";

// Zeroes the whole record and fills the defaults. Nothing for a null record.
void AppSetting_SetDefault(AppSetting *setting);
// Takes a stored record: exactly sizeof(AppSetting) bytes, else false and the record untouched.
// On success every string field is terminated and every ranged field held to its range.
bool AppSetting_FromData(AppSetting *setting, const QByteArray &data);
// Holds every ranged field to its range and terminates every string field.
void AppSetting_Validate(AppSetting *setting);
// The record as stored bytes.
QByteArray AppSetting_ToData(const AppSetting &setting);
// Reads the record and its lists from the user defaults (defaults for what is missing or
// malformed).
void AppSetting_Load();
// Stores the dark-appearance state, holds the folder-compare mode, then writes the record and
// its lists and synchronises the user defaults; false when the defaults could not be written.
bool AppSetting_Save();
// Stores the current dark-appearance state in the record, holds the folder-compare mode to at
// most 3, and answers the dark flag.
bool AppSetting_RefreshDarkMode();
// On the first run of a new version ("AppFirstTimeWithVersion2" differs from bundleVersion):
// resets show folders, folders above files, default status colours, the user's own theme flag and
// the preferences tab shown last, stores the version and saves. Answers whether it was new.
bool AppSetting_ApplyNewVersionReset(const QString &bundleVersion);

// Fixed-length string fields. The reader stops at the first 0 or the field's end; the writer
// copies at most maxBytes bytes (never splitting a UTF-8 character) and terminates the field.
QString AppSetting_GetString(const char *field, qsizetype fieldSize);
void AppSetting_SetString(char *field, qsizetype fieldSize, const QString &value,
                          qsizetype maxBytes = -1);
#define APPSETTING_GET_STRING(rec, field) AppSetting_GetString((rec).field, sizeof((rec).field))
#define APPSETTING_SET_STRING(rec, field, value)                                                   \
    AppSetting_SetString((rec).field, sizeof((rec).field), (value))

// A string list of the user defaults: a property-list array of strings, or one string joined by
// "{_sEp_Pelko_}"; empty items are dropped.
QStringList ReadDefaultsStringList(const QString &key);

// The length-unit name with "{MU2}" shown as the superscript two.
QString AppSetting_UnitNameForDisplay(const AppSetting &setting);
