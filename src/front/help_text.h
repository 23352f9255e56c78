// The version banner and the help text.
#pragma once

class Platform;
struct AppOptions;

// Writes the three banner lines when ShowVersion is on: 0 when written, -1 otherwise.
int PrintVersionBanner(Platform& platform, const AppOptions& options);
// Writes the 43 help lines when ShowHelp is on, followed by the extensions' block when
// ShowExtensionHelp is on too: 0 when written, -1 otherwise.
int PrintHelp(Platform& platform, const AppOptions& options);
