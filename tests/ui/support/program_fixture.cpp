#include "support/program_fixture.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

#include "document/program.h"
#include "platform/app_folders.h"
#include "platform/registry.h"
#include "support/ui_test_support.h"

bool MakePictures(const QString& folder, int count) {
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv((i * 37) % 360, 200, 220));
        if (!picture.save(QDir(folder).filePath(QString::asprintf("pic%03d.png", i)))) {
            return false;
        }
    }
    return true;
}

std::string SaveProgram(const QString& path, const QString& source, const QString& target,
                        const std::string& lastGenerated) {
    Program program;
    program.ApplyDefaults();
    program.SetString(ProgramKey::SourceDir, source.toStdString());
    program.SetString(ProgramKey::TargetDir, target.toStdString());
    if (!lastGenerated.empty()) {
        program.SetText(ProgramKey::LastGenerated, lastGenerated);
    }
    const std::string file = path.toStdString();
    static_cast<void>(program.Save(file));  // a test that needs the file finds it missing
    return file;
}

std::string ProgramFileValue(const QString& path, const std::string& key) {
    const std::string text = ReadTextFile(path);
    const std::string start = "\n" + key + " = ";
    const std::size_t at = text.find(start);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t from = at + start.size();
    return text.substr(from, text.find_first_of("\r\n", from) - from);
}

void UseBuildResources() {
    SetExecutableFolder(MAVREN_BINARY_DIR);
}

QString UseRecordingBrowser() {
    const QString record = TestHome() + QStringLiteral("/opened.txt");
    QFile::remove(record);
    const Result stored = SetRegistryString(kApplicationKey, "URLHandler",
                                            MakeRecordingBrowser(TestHome(), record).toStdString());
    if (!stored.ok()) {
        qFatal("%s", stored.text().c_str());
    }
    return record;
}
