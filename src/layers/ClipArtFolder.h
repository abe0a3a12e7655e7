#pragma once
// The support folder's "clipArt" folder, filled once per run from the bundle's resource archives
// named "Resource_*.zip" (any case).

// Leaves a folder holding more than 19 files alone; otherwise makes it afresh, unpacks every
// resource archive into it and moves every file to its top level. Runs at most once per process,
// under the "mainBundle" monitor, and only while the support folder is an absolute path.
void SetupClipArtFolder();
// Lets the next SetupClipArtFolder run again (tests).
void ResetClipArtFolderOnce();
