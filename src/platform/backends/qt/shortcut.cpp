#include "platform/backends/qt/shortcut.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <climits>

namespace platform {

namespace {

constexpr const char* extension = ".desktop";
constexpr const char* groupHeader = "[Desktop Entry]";

bool equalsIgnoringCase(const std::string& a, const char* b) {
    return QString::fromStdString(a).compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

std::string runningProgram() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// A value of the "string" type: backslash, and the control characters a line cannot hold.
std::string escapeValue(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string unescapeValue(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        switch (text[++i]) {
            case 's':
                plain += ' ';
                break;
            case 'n':
                plain += '\n';
                break;
            case 't':
                plain += '\t';
                break;
            case 'r':
                plain += '\r';
                break;
            default:
                plain += text[i];
        }
    }
    return plain;
}

// The [Desktop Entry] group's untranslated key, or nothing.
bool readKey(const QStringList& lines, const char* key, std::string& value) {
    bool inGroup = false;
    const QString prefix = QLatin1String(key) + QLatin1Char('=');
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line.trimmed() == QLatin1String(groupHeader);
            continue;
        }
        if (inGroup && line.startsWith(prefix)) {
            value = unescapeValue(line.mid(prefix.size()).toStdString());
            return true;
        }
    }
    return false;
}

}  // namespace

std::string quoteExecArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string percentSafe;
    for (const char c : argument) {
        percentSafe += c;
        if (c == '%') {
            percentSafe += '%';
        }
    }
    if (!percentSafe.empty() && percentSafe.find_first_of(reserved) == std::string::npos) {
        return percentSafe;
    }
    std::string quoted = "\"";
    for (const char c : percentSafe) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

std::string firstExecArgument(const std::string& execValue) {
    std::string argument;
    std::size_t i = 0;
    if (!execValue.empty() && execValue[0] == '"') {
        for (i = 1; i < execValue.size() && execValue[i] != '"'; ++i) {
            if (execValue[i] == '\\' && i + 1 < execValue.size()) {
                ++i;
            }
            argument += execValue[i];
        }
        if (i == execValue.size()) {
            return {};  // no closing quote
        }
    } else {
        for (; i < execValue.size() && execValue[i] != ' ' && execValue[i] != '\t'; ++i) {
            argument += execValue[i];
        }
    }
    std::string program;
    for (std::size_t k = 0; k < argument.size(); ++k) {
        program += argument[k];
        if (argument[k] == '%' && k + 1 < argument.size() && argument[k + 1] == '%') {
            ++k;
        }
    }
    return program;
}

void CShortcut::setArguments(const std::string& text) {
    args = text.substr(0, maxArguments);
}

bool CShortcut::folderPath(int folder, std::string& path) const {
    QStandardPaths::StandardLocation location{};
    switch (folder) {
        case quickLaunch:
            location = QStandardPaths::ApplicationsLocation;
            break;
        case appData:
            location = QStandardPaths::GenericDataLocation;
            break;
        case desktop:
            location = QStandardPaths::DesktopLocation;
            break;
        default:
            return false;
    }
    const QString found = QStandardPaths::writableLocation(location);
    if (found.isEmpty()) {
        return false;
    }
    path = QDir::cleanPath(found).toStdString() + '/';
    return true;
}

std::string CShortcut::linkPath(const std::string& linkName, int folder) const {
    std::string folderText;
    if (!folderPath(folder, folderText)) {
        return {};
    }
    return folderText + linkName + extension;
}

bool CShortcut::createLink(const std::string& target, const std::string& linkName, int folder,
                           const std::string& description, const std::string& iconFile,
                           int /*iconIndex: a desktop entry names one icon*/) {
    const std::string program = equalsIgnoringCase(target, "_this") ? runningProgram() : target;
    std::string folderText;
    if (program.empty() || !folderPath(folder, folderText) ||
        !QDir().mkpath(QString::fromStdString(folderText))) {
        return false;
    }
    std::string exec = quoteExecArgument(program);
    if (!args.empty()) {
        exec += ' ' + args;
    }
    const std::string name =
        linkName.empty()
            ? QFileInfo(QString::fromStdString(program)).completeBaseName().toStdString()
            : linkName;
    std::string entry = std::string(groupHeader) + '\n';
    entry += "Type=Application\n";
    entry += "Name=" + escapeValue(name) + '\n';
    entry += "Comment=" + escapeValue(description) + '\n';
    entry += "Exec=" + escapeValue(exec) + '\n';
    entry += "Icon=" + escapeValue(iconFile.empty() ? std::string("lirveto") : iconFile) + '\n';
    entry += "Terminal=false\n";
    entry += "Categories=AudioVideo;Audio;Music;\n";

    QSaveFile file(QString::fromStdString(folderText + linkName + extension));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = QByteArray::fromStdString(entry);
    return file.write(bytes) == bytes.size() && file.commit();
}

int CShortcut::findLink(const std::string& linkName, int folder, std::string& targetPath,
                        std::string& description) const {
    std::string folderText;
    if (!folderPath(folder, folderText)) {
        return 1;
    }
    QFile file(QString::fromStdString(folderText + linkName + extension));
    if (!file.exists()) {
        return -ENOENT;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return -EACCES;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    std::string exec;
    std::string type;
    if (!readKey(lines, "Type", type) || type != "Application" || !readKey(lines, "Exec", exec)) {
        return -EINVAL;
    }
    const std::string program = firstExecArgument(exec);
    if (program.empty()) {
        return -EINVAL;
    }
    const QFileInfo programFile(QString::fromStdString(program));
    if (!programFile.exists()) {
        return -ESTALE;
    }
    std::string comment;
    readKey(lines, "Comment", comment);
    targetPath = programFile.absoluteFilePath().toStdString();
    description = comment;
    return 0;
}

bool CShortcut::deleteLink(const std::string& linkName, int folder) {
    if (linkName.empty()) {
        return false;
    }
    std::string folderText;
    if (!folderPath(folder, folderText)) {
        return false;
    }
    return QFile::remove(QString::fromStdString(folderText + linkName + extension));
}

}  // namespace platform
