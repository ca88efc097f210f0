#include "framework/property_sheet.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace framework {

TPropertyPage::TPropertyPage(QWidget* parent, const DialogTemplate& dialogTemplate)
    : TDialog(parent, dialogTemplate) {}

void TPropertyPage::setTransferBuffer(std::span<std::uint16_t> states,
                                      std::span<const int> controlIds) {
    bufferStates = states;
    bufferControlIds = controlIds;
}

void TPropertyPage::TransferData(TransferDirection direction) {
    const std::size_t count = std::min(bufferStates.size(), bufferControlIds.size());
    for (std::size_t i = 0; i < count; ++i) {
        auto* button = qobject_cast<QAbstractButton*>(item(bufferControlIds[i]));
        if (button == nullptr) {
            continue;
        }
        if (direction == TransferDirection::setData) {
            button->setChecked(bufferStates[i] != 0);
        } else {
            bufferStates[i] = button->isChecked() ? 1 : 0;
        }
    }
}

void TPropertyPage::setupWindow() {
    TransferData(TransferDirection::setData);
}

bool TPropertyPage::apply() {
    TransferData(TransferDirection::getData);
    return true;
}

TPropertySheet::TPropertySheet(QWidget* parent, const QString& title)
    : TWindowT<QDialog>(parent), tabs(new QTabWidget(this)) {
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TPropertySheet::pressOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &TPropertySheet::pressHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TPropertySheet::addPage(TPropertyPage* newPage) {
    pages.push_back(newPage);
    // The page keeps its template size; the tab widget sizes itself to the largest page.
    newPage->setMinimumSize(newPage->size());
    tabs->addTab(newPage, newPage->windowTitle());
}

TPropertyPage* TPropertySheet::page(int index) const {
    return index >= 0 && index < pageCount() ? pages[static_cast<std::size_t>(index)] : nullptr;
}

TPropertyPage* TPropertySheet::currentPage() const {
    return page(tabs->currentIndex());
}

void TPropertySheet::setCurrentPage(int index) {
    tabs->setCurrentIndex(index);
}

void TPropertySheet::pressOk() {
    for (TPropertyPage* each : pages) {
        if (each->isCreated() && !each->apply()) {
            tabs->setCurrentWidget(each);
            return;
        }
    }
    accept();
}

void TPropertySheet::pressHelp() {
    TPropertyPage* shown = currentPage();
    if (shown == nullptr) {
        return;
    }
    NotifyHeader header;
    header.from = this;
    header.code = PSN_HELP;
    header.data = 1;
    sendMessage(shown, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

}  // namespace framework
