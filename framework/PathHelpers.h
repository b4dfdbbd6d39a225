#pragma once

#include "graphics/PK_String.h"

// Where the plug-in finds its files: the folders of a bundle, the user's
// standard folders, the preset and Application Support folders, and the
// resources the editor loads. Each helper writes its result into a string the
// caller owns. Folders come without a trailing "/" unless stated.
//
// Main thread (initialisation, editor resource loading). A folder the system
// cannot name comes back as the empty text; nothing here reports errors
// beyond the result of LocateResource.

namespace plugkit {

// The executable of the bundle with that identifier; path is left unchanged
// when there is no such bundle or it has no executable.
void BundleExecutablePath(PK_String& path, const char* bundleID);
// The folder that holds the bundle, followed by "/"; unchanged when there is
// no such bundle.
void PluginPath(PK_String& path, const char* bundleID);
// The bundle's resource folder; empty when there is no such bundle.
void BundleResourcePath(PK_String& path, const char* bundleID);

void DesktopPath(PK_String& path);
void UserHomePath(PK_String& path);
void MusicFolderPath(PK_String& path);
// <Library>/Audio/Presets/<maker>/<plug-in>/ of the user's Library folder,
// or of the local domain's when isSystem is set.
void AUPresetsPath(PK_String& path, const char* mfrName, const char* pluginName, bool isSystem);
// The user's Application Support folder followed by "/<name>".
void AppSupportPath(PK_String& path, const char* name);
// The Application Support folder of the user domain, or of the system domain.
// Named apart from AppSupportPath: a text passed for the flag would
// otherwise convert silently to true.
void AppSupportDomainPath(PK_String& path, bool isSystem);

// True when the home folder lies inside an App Sandbox container.
bool IsSandboxed();

// Finds a resource file (type: its extension without the dot, "png", "svg",
// "ttf"), first in the bundle with that identifier, then in
// <Music>/<sharedResourcesSubPath>/Resources/, then as a path of its own.
// The bundle and shared-folder searches ignore letter case in the extension
// test and in the bundle's file names, as the macOS file system does.
// Returns true with the full path in path; false for a null or empty name
// (path untouched) or when nothing is found (path empty).
bool LocateResource(const char* fileNameOrResID, const char* type, PK_String& path, const char* bundleID,
  const char* sharedResourcesSubPath);

} // namespace plugkit
