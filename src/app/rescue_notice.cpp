#include "app/rescue_notice.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace app {

RescueNotice::RescueNotice(QWidget* parent, const QStringList& recordings,
                           std::function<void(const QString&)> showFolder)
    : QDialog(parent),
      label(new QLabel(text(recordings), this)),
      firstFolder(QFileInfo(recordings.value(0)).absolutePath()) {
    setWindowTitle(QStringLiteral("Lirveto"));
    setWindowModality(Qt::WindowModal);
    label->setTextFormat(Qt::PlainText);
    // The names may be wanted in a file manager's location bar or a terminal.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this)
                        .pixmap(QSize(side, side), devicePixelRatio()));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    // An action button: the notice stays, so the names can be read beside the folder.
    QPushButton* open =
        buttons->addButton(QStringLiteral("&Open Folder"), QDialogButtonBox::ActionRole);
    connect(open, &QPushButton::clicked, this,
            [this, opener = std::move(showFolder)] { opener(firstFolder); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(side / 2);
    row->addWidget(label, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString RescueNotice::message() const {
    return label->text();
}

QString RescueNotice::text(const QStringList& recordings) {
    QStringList folders;  // in the order their first recording was kept
    for (const QString& path : recordings) {
        const QString folder = QFileInfo(path).absolutePath();
        if (!folders.contains(folder)) {
            folders << folder;
        }
    }
    // The last performances kept on the way out are named with the takes, after them.
    const auto performance = [](const QString& path) {
        return path.endsWith(QStringLiteral(".performance"));
    };
    const auto performances = std::count_if(recordings.begin(), recordings.end(), performance);
    const auto takes = recordings.size() - performances;
    QString text;
    if (takes > 0) {
        text = QStringLiteral("Lirveto was ended while recording. ") +
               (takes == 1 ? QStringLiteral("The recording") : QStringLiteral("The recordings"));
        if (performances > 0) {
            text += performances == 1 ? QStringLiteral(" and the last performance")
                                      : QStringLiteral(" and the last performances");
        }
    } else {
        text = performances == 1
                   ? QStringLiteral("The last performance played before Lirveto ended")
                   : QStringLiteral("The last performances played before Lirveto ended");
    }
    text += takes + performances == 1 ? QStringLiteral(" was kept in")
                                      : QStringLiteral(" were kept in");
    for (const QString& folder : folders) {
        if (folder != folders.first()) {
            text += QStringLiteral("\n\nand in");
        }
        text += QLatin1Char('\n') + folder + QStringLiteral(":\n");
        for (const QString& path : recordings) {
            const QFileInfo file(path);
            if (file.absolutePath() == folder) {
                text += QLatin1Char('\n') + file.fileName();
            }
        }
    }
    return text;
}

}  // namespace app
