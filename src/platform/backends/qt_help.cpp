#include "platform/backends/qt_help.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "framework/resources.h"
#include "platform/backends/help_popup.h"

namespace platform {

namespace {

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QColor fromColorRef(std::uint32_t ref) {
    return {static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
            static_cast<int>((ref >> 16) & 0xFF)};
}

}  // namespace

QHash<std::uint32_t, QString> parsePopupTexts(const QString& content) {
    QHash<std::uint32_t, QString> texts;
    static const QRegularExpression topicLine(QStringLiteral("^\\.topic\\s+(\\d+)\\s*$"));
    bool inTopic = false;
    std::uint32_t id = 0;
    QStringList lines;
    const auto flush = [&] {
        if (inTopic) {
            texts.insert(id, lines.join(QLatin1Char('\n')).trimmed());
        }
        lines.clear();
    };
    for (const QString& line : content.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = topicLine.match(line.trimmed());
        if (match.hasMatch()) {
            flush();
            bool ok = false;
            id = match.captured(1).toUInt(&ok);
            inTopic = ok;
        } else if (line.trimmed().startsWith(QStringLiteral(".topic"))) {
            flush();  // a damaged topic line ends the text before it and starts none
            inTopic = false;
        } else if (inTopic) {
            lines << line.trimmed();
        }
    }
    flush();
    return texts;
}

QHash<std::uint32_t, QString> parseContextMap(const QString& content) {
    QHash<std::uint32_t, QString> pages;
    for (const QString& raw : content.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QStringList fields = line.split(QRegularExpression(QStringLiteral("\\s+")));
        bool ok = false;
        const std::uint32_t context = fields.value(0).toUInt(&ok);
        if (ok && fields.size() == 2) {
            pages.insert(context, fields[1]);
        }
    }
    return pages;
}

QtHelp::~QtHelp() {
    delete viewerWindow.data();
    delete popupLabel.data();
}

QTextBrowser* QtHelp::viewer() const {
    return browser.data();
}

bool QtHelp::showPage(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    if (viewerWindow == nullptr) {
        viewerWindow = new QWidget(nullptr, Qt::Window);
        viewerWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        viewerWindow->setWindowTitle(QStringLiteral("Lirveto Help"));
        viewerWindow->setWindowIcon(framework::loadIcon(1003));
        auto* layout = new QVBoxLayout(viewerWindow);
        layout->setContentsMargins(0, 0, 0, 0);
        browser = new QTextBrowser(viewerWindow);
        browser->setOpenExternalLinks(true);
        layout->addWidget(browser);
        viewerWindow->resize(640, 520);
    }
    browser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    viewerWindow->show();
    viewerWindow->raise();
    viewerWindow->activateWindow();
    return true;
}

bool QtHelp::displayTopic(const std::string& helpFile, const std::string& topic) {
    if (helpFile.empty()) {
        return false;
    }
    const QFileInfo contents(QString::fromStdString(helpFile));
    if (topic.empty()) {
        return showPage(contents.filePath());
    }
    return showPage(contents.dir().filePath(QString::fromStdString(topic)));
}

bool QtHelp::helpContext(const std::string& helpFile, std::uint32_t context) {
    if (helpFile.empty()) {
        return false;
    }
    const QFileInfo contents(QString::fromStdString(helpFile));
    const auto pages =
        parseContextMap(readText(contents.dir().filePath(QStringLiteral("contexts.txt"))));
    const auto page = pages.constFind(context);
    if (page == pages.constEnd()) {
        return false;
    }
    return showPage(contents.dir().filePath(*page));
}

bool QtHelp::displayTextPopup(const std::string& popupFile, const HelpPopup& popup) {
    if (popupFile.empty()) {
        return false;
    }
    const auto texts = parsePopupTexts(readText(QString::fromStdString(popupFile)));
    const auto text = texts.constFind(popup.idString);
    if (text == texts.constEnd()) {
        return false;
    }
    if (popupLabel == nullptr) {
        popupLabel = new HelpPopupWindow;
    }
    QPalette palette = popupLabel->palette();
    palette.setColor(QPalette::Window, fromColorRef(popup.backColor));
    if (popup.textColor != -1) {
        palette.setColor(QPalette::WindowText,
                         fromColorRef(static_cast<std::uint32_t>(popup.textColor)));
    }
    popupLabel->setPalette(palette);
    popupLabel->setContentsMargins(popup.marginLeft, popup.marginTop, popup.marginRight,
                                   popup.marginBottom);
    popupLabel->setText(*text);
    popupLabel->setMaximumWidth(320);
    popupLabel->adjustSize();
    QPoint at(popup.x, popup.y);
    // Keep the whole pop-up on the screen the cursor is on.
    if (const QScreen* screen = QGuiApplication::screenAt(at)) {
        const QRect area = screen->availableGeometry();
        at.setX(std::max(area.left(), std::min(at.x(), area.right() - popupLabel->width())));
        at.setY(std::max(area.top(), std::min(at.y(), area.bottom() - popupLabel->height())));
    }
    popupLabel->move(at);
    popupLabel->show();
    return true;
}

}  // namespace platform
