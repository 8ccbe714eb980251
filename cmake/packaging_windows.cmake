# The Windows program's zip and installer (cpack in build/windows).
