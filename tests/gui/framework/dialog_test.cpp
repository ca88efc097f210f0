#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "framework/dialog.h"

namespace {

using namespace framework;

const DialogItem items[] = {
    {102, ItemKind::Frame, "&Volume", 43, 20, 9, 32},
    {108, ItemKind::StaticCentered, "50", 37, 6, 18, 8},
    {105, ItemKind::PushButton, "&Play", 34, 79, 50, 15},
    {125, ItemKind::StaticCentered, "Pi&tch", 71, 60, 27, 10},
    {126, ItemKind::Static, "R&&B <&x>", 71, 70, 27, 10},
};
const DialogTemplate pageTemplate{16, "DirectSound", 169, 105, 8, items};

class Page : public TDialog {
  public:
    explicit Page(QWidget* parent = nullptr) : TDialog(parent, pageTemplate) {}
    int commands = 0;
    int setups = 0;
    LRESULT onPlay(WPARAM, LPARAM) {
        ++commands;
        return 0;
    }

  protected:
    void setupWindow() override { ++setups; }
    LIRVETO_RESPONSE_TABLE(Page, TDialog);
};

std::span<const Response<Page>> Page::responseTable() {
    static constexpr Response<Page> table[] = {{WM_COMMAND, &Page::onPlay, 105}};
    return table;
}

TEST(Dialog, TemplateUnitsBecomePixelsByTheFontsAverageCharacter) {
    Page page;
    const QSize base = page.dialogBaseUnits();
    ASSERT_GT(base.width(), 0);
    ASSERT_GT(base.height(), 0);
    const QRect pixels = page.MapDialogRect(QRect(4, 8, 40, 16));
    EXPECT_EQ(pixels, QRect(base.width(), base.height(), 10 * base.width(), 2 * base.height()));
    EXPECT_EQ(page.size(), page.MapDialogRect(QRect(0, 0, 169, 105)).size());
    EXPECT_EQ(page.windowTitle(), QStringLiteral("DirectSound"));
}

TEST(Dialog, CreateLaysOutTheTemplateOnceAndRunsTheSetUp) {
    Page page;
    page.create();
    page.create();
    EXPECT_EQ(page.setups, 1);
    QWidget* value = page.item(108);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(dialogControlId(value), 108);
    EXPECT_EQ(value->geometry(), page.MapDialogRect(QRect(37, 6, 18, 8)));
    EXPECT_EQ(page.item(999), nullptr);
}

TEST(Dialog, ButtonClicksBecomeCommandsAndEscapeLeavesAnEmbeddedPageShown) {
    QWidget holder;
    auto* page = new Page(&holder);
    page->setWindowFlags(Qt::Widget);
    holder.show();
    page->show();
    QTest::mouseClick(static_cast<QPushButton*>(page->item(105)), Qt::LeftButton);
    EXPECT_EQ(page->commands, 1);
    QTest::keyClick(page, Qt::Key_Escape);
    EXPECT_TRUE(page->isVisible());
}

}  // namespace

namespace {

// The label's text as a reader sees it, with the underlined characters in brackets.
QString shownWithUnderlines(const QLabel& label) {
    QTextDocument document;
    if (label.textFormat() == Qt::RichText) {
        document.setHtml(label.text());
    } else {
        document.setPlainText(label.text());
    }
    QString shown;
    for (auto fragment = document.begin().begin(); !fragment.atEnd(); ++fragment) {
        const QString text = fragment.fragment().text();
        shown += fragment.fragment().charFormat().fontUnderline() ? "[" + text + "]" : text;
    }
    return shown;
}

TEST(Dialog, LabelsUnderlineTheirMnemonicLetterAndShowNoMarker) {
    Page page;
    page.create();
    EXPECT_EQ(shownWithUnderlines(*qobject_cast<QLabel*>(page.item(125))), "Pi[t]ch");
    EXPECT_EQ(shownWithUnderlines(*qobject_cast<QLabel*>(page.item(126))), "R&B <[x]>");
    EXPECT_EQ(shownWithUnderlines(*qobject_cast<QLabel*>(page.item(108))), "50");
}

}  // namespace
