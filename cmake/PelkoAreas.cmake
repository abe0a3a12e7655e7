# The areas from the bottom up, and for each the areas its sources include. An area links
# exactly those; ./test runs scripts/check-layers.py, which fails on an include outside them and
# on a listed area nothing includes. Shared geometry types live in graphics, below pathops and
# layers.
set(PELKO_AREAS platform foundation services graphics pathops layers compare controls themes
                textcompare foldercompare shell)
set(PELKO_USES_platform "")
set(PELKO_USES_foundation platform)
set(PELKO_USES_services platform foundation)
set(PELKO_USES_graphics platform foundation services)
set(PELKO_USES_pathops platform graphics)
set(PELKO_USES_layers platform foundation services graphics)
set(PELKO_USES_compare platform services)
set(PELKO_USES_controls platform foundation services graphics pathops layers)
set(PELKO_USES_themes platform foundation services graphics controls)
set(PELKO_USES_textcompare platform foundation services graphics compare controls themes)
set(PELKO_USES_foldercompare platform services graphics compare controls textcompare)
set(PELKO_USES_shell platform foundation services graphics layers compare controls themes
                     textcompare foldercompare)
