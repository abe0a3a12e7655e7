#pragma once
// Writes one side of the text window to a file, knowing nothing of windows: how the text is
// written (the side's own encoding, byte-order mark and line end, or the fixed ones of the
// settings record; the file's permissions, or the record's), whether a path may be written at
// all, and what the side is once written. The window asks the user its questions around it.

#include "services/TextFile.h"

#include <QString>

struct AppSetting;

class TextSideWriter
{
public:
    // shownAs: what the side's text was read as (or last saved as).
    TextSideWriter(const TextFileInfo &shownAs, const AppSetting &settings);

    const TextSaveOptions &options() const { return mOptions; }

    // Why a text may not be written to the path (empty when it may): a missing file may be
    // written, anything but a regular file would be replaced by one.
    static QString whyNotWritableTarget(const QString &path);
    // Why the side may not be written under its own path: its file was not read (the pane does
    // not show its content), or the path is not a regular file.
    static QString whyNotWritableInPlace(bool readOk, const QString &path);

    // The text can be written in the chosen encoding without losing characters.
    bool canEncode(const QString &text) const;
    // From now on the text is written as UTF-8 without a byte-order mark.
    void useUtf8();

    // Writes the text, replacing the file only once the whole text is written: on failure the
    // file stays as it was, and *failure (may be null) says why. With expected (what the path
    // led to when the side was read, or what the user agreed to replace), only while the path
    // still leads to that (ChangedOnDisk otherwise); *written (may be null) then gets what it
    // leads to after the write.
    bool write(const QString &text, const QString &path, FileWriteFailure *failure = nullptr,
               const FileIdentity *expected = nullptr, FileIdentity *written = nullptr) const;
    // What the side is after a write to path: as it was shown, with the way it was written, the
    // file's permissions and what the path led to once written.
    TextFileInfo writtenInfo(const QString &path, const FileIdentity &written = {}) const;

private:
    TextFileInfo mShownAs;
    TextSaveOptions mOptions;
};
