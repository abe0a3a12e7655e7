#!/usr/bin/env python3
"""Fails on a call in src/ that reaches the file system by a path outside the allowed places.

Usage: check-path-calls.py ROOT            (ROOT holds src/ and scripts/path-calls-allowed.txt)
       check-path-calls.py --self-test     (plants faults in a small tree and expects each one)

A file or folder below a compared top folder is reached only through compare/ComparedTree, which
walks from the top folder held open by descriptors. Everything else that names the file system
by a path (system calls such as open, stat, unlink or rename; QFile, QDir, QFileInfo, QSaveFile
and their kin on a path; std::filesystem; the application's own helpers that take a path) is
listed here, and each one must be allowed for its file in scripts/path-calls-allowed.txt, with
the reason, as many times as that file makes it. Prints one line per fault, "path:line: what",
and exits 1 when there is any: a call not allowed, more calls of a kind than allowed, or an
allowance no call uses any more.
"""
import pathlib
import re
import sys
from collections import defaultdict

# The module through which everything below a compared top goes; not checked.
MODULE = {"src/compare/ComparedTree.cpp", "src/compare/ComparedTree.h"}
ALLOWED = "scripts/path-calls-allowed.txt"

# Calls of the C library that take a path (their *at forms take a folder descriptor: only with
# AT_FDCWD do they take a path, which the AT_FDCWD kind catches).
SYSTEM_CALLS = [
    "open", "creat", "opendir", "unlink", "rmdir", "rename", "stat", "lstat", "stat64",
    "lstat64", "statx", "statfs", "statvfs", "chmod", "chown", "lchown", "mkdir", "mkfifo",
    "mknod", "realpath", "readlink", "symlink", "link", "truncate", "access", "euidaccess",
    "faccessat2", "utime", "utimes", "lutimes", "fopen", "freopen", "mkstemp", "mkostemp",
    "mkstemps", "mkdtemp", "chdir", "chroot", "getxattr", "lgetxattr", "setxattr", "lsetxattr",
    "listxattr", "llistxattr", "removexattr", "lremovexattr", "canonicalize_file_name",
    "execv", "execve", "execvp",
]
# The application's own helpers whose argument is a path and that reach the file system by it.
PATH_HELPERS = [
    "LocalPath_OpenRegularFile", "LocalPath_Canonical", "RemoveTreeNoFollow", "EntryKindOf",
    "ReadRegularFileNoFollow", "WriteNewPrivateFile", "MakePrivateFolder", "IsPrivateFolder",
    "IsTrustedFolderPath", "MoveItemToTrash", "MoveItemToTopDirTrash", "moveToTrash",
    "DeleteFileOrFolder", "CreateFolder", "IsFileExist", "IsFolderExist", "IsPathExist",
    "GetFileSize", "GetFileListInFolder_Names", "GetFileListDeepFromFolder", "CopyFileSave",
    "CopyReadFileSave", "JudgedFile_OpenFolder", "CompareFileContents", "ReadPreviewHead",
    "readImageFile", "readImageFrames", "imageCountOfFile", "readImageForView", "IsImageFile",
    "IsSameBinaryFile", "RunDiffForPatch", "WriteTwoFilePatch",
]
# Classes whose objects reach the file system by the path they are made with.
PATH_CLASSES = [
    "QFile", "QSaveFile", "QFileInfo", "QDir", "QDirIterator", "QLockFile", "QStorageInfo",
    "LocalPathInfo", "std::ifstream", "std::ofstream", "std::fstream",
]
# Classes that reach the file system even when made without a path.
ALWAYS_CLASSES = ["QTemporaryFile", "QTemporaryDir"]
# What a made-up QFileInfo or QDir may be asked without reaching the file system.
NAME_ONLY = (r"fileName|absolutePath|absoluteFilePath|filePath|path|suffix|completeSuffix|"
             r"baseName|completeBaseName|isAbsolute|isRelative|relativeFilePath|dirName|cleanPath")
# Static members that reach the file system.
STATIC_CALLS = [
    r"QFile::(?:exists|remove|rename|copy|link|setPermissions|permissions|resize|symLinkTarget|"
    r"moveToTrash)",
    r"QFileInfo::exists", r"QDir::setCurrent",
    r"QDir::(?:home|root|temp|current)\(\)\s*\.\s*(?!(?:" + NAME_ONLY + r")\s*\()\w+",
    r"QProcess::startDetached",
]
OTHER = [
    ("AT_FDCWD", r"\bAT_FDCWD\b"),
    ("std::filesystem", r"\bstd::filesystem\b"),
    ("setFileName", r"\.\s*setFileName\s*\("),
    ("setStandardFile",
     r"\bsetStandard(?:Input|Output|Error)File\s*\((?!\s*QProcess::nullDevice\(\)\s*\))"),
]
# Names too common to be told from the application's own functions unless spelled "::name".
QUALIFIED_ONLY = {"link", "rename", "access", "truncate", "utime"}
# Words after which a name followed by "(" is declared, not called.
NOT_TYPES = {"return", "else", "do", "co_return", "throw", "case", "new", "delete", "not", "and",
             "or", "sizeof", "decltype"}


def strip_comments_and_strings(text):
    """The text with comments, string and character literals blanked, line breaks kept."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == 'R' and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            end = text.find(")" + (m.group(1) if m else "") + '"', i)
            j = n if (not m or end < 0) else end + len(m.group(1)) + 2
            out.append('""' + re.sub(r"[^\n]", " ", text[i + 2:j]))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + " " * max(j - i - 2, 0) + (c if j - i >= 2 else ""))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def closing_paren(text, open_at):
    depth = 0
    for k in range(open_at, len(text)):
        if text[k] == "(":
            depth += 1
        elif text[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def previous_token(text, at):
    k = at - 1
    while k >= 0 and text[k] in " \t\n":
        k -= 1
    if k < 0:
        return ""
    if text[k].isalnum() or text[k] == "_":
        j = k
        while j >= 0 and (text[j].isalnum() or text[j] == "_"):
            j -= 1
        return text[j + 1:k + 1]
    return text[k]


def is_declaration(text, at):
    """True when the name at `at` is declared or defined there rather than called."""
    token = previous_token(text, at)
    if token in (">", "*", "&"):
        return True
    return bool(token) and (token[0].isalpha() or token[0] == "_") and token not in NOT_TYPES


def find_calls(text):
    """(offset, kind) of every path-based call in comment-free text."""
    found = []
    free = SYSTEM_CALLS + PATH_HELPERS
    for name in free:
        prefix = r"(?:::)" if name in QUALIFIED_ONLY else r"(?:::)?"
        for m in re.finditer(r"(?<![\w.>:])" + prefix + r"\b" + re.escape(name) + r"\s*\(", text):
            at = m.start() + (2 if text.startswith("::", m.start()) else 0)
            if text.startswith("::", m.start()) or not is_declaration(text, at):
                found.append((m.start(), name))
    for name in PATH_CLASSES + ALWAYS_CLASSES:
        always = name in ALWAYS_CLASSES
        # A named object made with arguments, or a temporary made with them.
        pattern = (r"(?<![\w:])" + re.escape(name) + r"\b(?:\s+(?P<var>\w+))?\s*(?P<open>[({])")
        for m in re.finditer(pattern, text):
            open_at = m.start("open")
            close = text.find("}" if text[open_at] == "{" else ")", open_at)
            if text[open_at] == "(":
                close = closing_paren(text, open_at)
            inside = text[open_at + 1:close].strip() if close > 0 else "?"
            if m.group("var") and m.group("var") in ("operator",):
                continue
            if not always and not inside:
                continue
            if not m.group("var"):
                if text.startswith("::", m.end("open") - 1):
                    continue
                prev = previous_token(text, m.start())
                if prev in ("explicit",) or (prev and prev[0].isalpha() and prev not in NOT_TYPES
                                             and prev not in ("const", "auto", "static")):
                    # A declaration of the class's own constructor or a function returning it.
                    if prev not in ("return",):
                        continue
                after = text[close + 1:close + 80] if close > 0 else ""
                if name in ("QFileInfo", "QDir") and re.match(
                        r"\s*\.\s*(?:" + NAME_ONLY + r")\s*\(", after):
                    continue
            found.append((m.start(), name))
        if always:
            for m in re.finditer(r"(?<![\w:])" + re.escape(name) + r"\s+\w+\s*;", text):
                found.append((m.start(), name))
    for pattern in STATIC_CALLS:
        for m in re.finditer(r"(?<![\w:])" + pattern, text):
            found.append((m.start(), m.group(0).split("(")[0].replace(" ", "")))
    for kind, pattern in OTHER:
        for m in re.finditer(pattern, text):
            found.append((m.start(), kind))
    found.sort()
    # A call found as two kinds at one place is one call.
    seen, unique = set(), []
    for offset, kind in found:
        if offset not in seen:
            seen.add(offset)
            unique.append((offset, kind))
    return unique


def calls_in_tree(root):
    """{relative file: [(line, kind)]} for every checked source under root/src."""
    calls = {}
    for path in sorted((root / "src").rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        shown = path.relative_to(root).as_posix()
        if shown in MODULE:
            continue
        text = strip_comments_and_strings(path.read_text(encoding="utf-8", errors="replace"))
        found = [(text.count("\n", 0, offset) + 1, kind) for offset, kind in find_calls(text)]
        if found:
            calls[shown] = found
    return calls


def read_allowed(path):
    """{file: {kind: count}} and the faults of the list itself."""
    allowed, faults = {}, []
    if not path.exists():
        return allowed, [f"{ALLOWED}: missing"]
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        parts = [p.strip() for p in line.split("|")]
        if len(parts) != 3 or not parts[0] or not parts[1] or not parts[2]:
            faults.append(f"{ALLOWED}:{number}: expected 'file | calls | reason'")
            continue
        kinds = allowed.setdefault(parts[0], defaultdict(int))
        for item in parts[1].split():
            name, _, count = item.partition("*")
            if count and not count.isdigit():
                faults.append(f"{ALLOWED}:{number}: '{item}' is not NAME or NAME*COUNT")
                continue
            kinds[name] += int(count) if count else 1
    return allowed, faults


def check(root):
    allowed, faults = read_allowed(root / ALLOWED)
    calls = calls_in_tree(root)
    for shown, found in calls.items():
        permitted = allowed.get(shown, {})
        by_kind = defaultdict(list)
        for line, kind in found:
            by_kind[kind].append(line)
        file_faults = []
        for kind, lines in by_kind.items():
            limit = permitted.get(kind, 0)
            if len(lines) <= limit:
                continue
            if limit == 0:
                file_faults += [(line, f"{shown}:{line}: {kind} reaches the file system by a "
                                       f"path; go through compare/ComparedTree or allow it in "
                                       f"{ALLOWED}") for line in lines]
            else:
                file_faults.append((lines[limit], f"{shown}:{lines[limit]}: {kind} made "
                                    f"{len(lines)} times, {limit} allowed in {ALLOWED} "
                                    f"(lines {', '.join(map(str, lines))})"))
        faults += [text for _, text in sorted(file_faults)]
    for shown, kinds in sorted(allowed.items()):
        made = defaultdict(int)
        for _, kind in calls.get(shown, []):
            made[kind] += 1
        for kind, count in sorted(kinds.items()):
            if made[kind] < count:
                faults.append(f"{ALLOWED}: {shown} is allowed {kind}*{count} but makes "
                              f"{made[kind]}: lower the allowance")
    return faults


def self_test():
    """Plants calls in a small tree and expects each fault named with its file and line."""
    import tempfile
    with tempfile.TemporaryDirectory() as base:
        root = pathlib.Path(base)
        (root / "src/compare").mkdir(parents=True)
        (root / "src/shell").mkdir(parents=True)
        (root / "scripts").mkdir()
        (root / "src/compare/ComparedTree.cpp").write_text('int f() { return ::open("x", 0); }\n')
        (root / "src/shell/Allowed.cpp").write_text(
            '// ::unlink("comment") is no call\n'
            'void a(const QString &p) { QFile f(p); const char *s = "stat(x)"; }\n'
            'bool IsFileExist(const QString &path);\n'
            'void b(const QString &p) { QFileInfo(p).fileName(); QDir::cleanPath(p); }\n')
        (root / "src/shell/New.cpp").write_text(
            'void c(const QByteArray &p)\n{\n    ::unlink(p.constData());\n'
            '    if (IsFileExist(QString()))\n        return;\n'
            '    QFileInfo info(QString::fromUtf8(p));\n    (void)info.exists();\n'
            '    ::openat(AT_FDCWD, p.constData(), 0);\n    QFile file; file.open(0, {});\n}\n')
        (root / "src/shell/Twice.cpp").write_text('void d() { QFile a(x); QFile b(y); }\n')
        (root / ALLOWED).write_text(
            "# comment\n"
            "src/shell/Allowed.cpp | QFile | a reason\n"
            "src/shell/Twice.cpp | QFile | one only\n"
            "src/shell/Gone.cpp | QDir | no longer made\n")
        got = check(root)
    hint = f"go through compare/ComparedTree or allow it in {ALLOWED}"
    expected = [
        f"src/shell/New.cpp:3: unlink reaches the file system by a path; {hint}",
        f"src/shell/New.cpp:4: IsFileExist reaches the file system by a path; {hint}",
        f"src/shell/New.cpp:6: QFileInfo reaches the file system by a path; {hint}",
        f"src/shell/New.cpp:8: AT_FDCWD reaches the file system by a path; {hint}",
        f"src/shell/Twice.cpp:1: QFile made 2 times, 1 allowed in {ALLOWED} (lines 1, 1)",
        f"{ALLOWED}: src/shell/Gone.cpp is allowed QDir*1 but makes 0: lower the allowance",
    ]
    if got != expected:
        print("check-path-calls self-test failed; expected:", *expected, "got:", *got,
              sep="\n")
        return 1
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    faults = check(pathlib.Path(argv[1]))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
