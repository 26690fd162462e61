#pragma once

// Programs and source folders for the window tests: small pictures to generate, a
// program file saved the way the tool saves them, the resources of the build folder as
// the executable folder, and a browser that records what it was asked to open.

#include <QString>
#include <string>

// Writes count small PNG pictures ("pic000.png" ...) into folder.
bool MakePictures(const QString& folder, int count);

// Saves a program with the default settings, the two folders and, when lastGenerated is
// not empty, that "%c" text as Last-Generated, at path. Returns the path.
std::string SaveProgram(const QString& path, const QString& source, const QString& target,
                        const std::string& lastGenerated = {});

// The value a program file holds for key ("Last-Generated"), or empty.
std::string ProgramFileValue(const QString& path, const std::string& key);

// Makes the build folder, with Default.mav, splash1.jpg and Help, the executable folder.
void UseBuildResources();

// Installs a recording browser as "URLHandler"; what it opens goes to the returned file.
QString UseRecordingBrowser();
