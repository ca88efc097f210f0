#pragma once
// TTabWindow: holds the sound pages (not owning them), relays the frame's broadcasts to them and
// sizes the frame to the largest page. TWin95TabWindow shows them under a tab control.

#include <QPointer>
#include <array>

#include "framework/window.h"

namespace controls {

class TTabWindow : public framework::TWindow {
  public:
    static constexpr int maxPages = 20;

    // `pages` is a list ended by a null entry, or null.
    explicit TTabWindow(QWidget* parent, QWidget* const* pages = nullptr);
    ~TTabWindow() override;

    // The window's position and size attributes; a width or height of 0 (or defaultSize) at
    // set-up takes the parent's client size.
    static constexpr int defaultSize = static_cast<int>(0x80000000u);
    struct Attributes {
        int x = 0, y = 0, w = 0, h = 0;
    } attr;

    virtual void addPages(QWidget* const* list);
    // The page's index, or -1 when the list is full (20 pages) or the page is null.
    virtual int addPage(QWidget* page);
    virtual void removePage(QWidget* page);
    // Removes the entry and returns its page; here nothing is removed (null).
    virtual QWidget* removePageAt(int index);
    virtual int indexOf(const QWidget* page) const;
    virtual QWidget* pageAt(int index) const;
    virtual int selectedIndex() const { return -1; }
    virtual void select(int /*index*/) {}
    int pageCount() const { return count; }

    // Sizes the frame around this window so that the largest page fits. GUI thread.
    virtual void fitFrameToPages();

    // False at the first page that refuses to close.
    bool canClose() override;
    bool isCreated() const { return created; }

    // Sets up every page not set up yet. A tab window may leave the pages that are not shown
    // until its window is up; whatever reaches them (a broadcast, their tab) sets them up first.
    // GUI thread.
    void createPages();

  protected:
    // Space this window keeps around the page area (tabs and frame).
    virtual QSize pageMargins() const { return {0, 0}; }
    // Makes the page a child of this window and sets it up.
    void takePage(QWidget* page);
    // Makes the page a child of this window, to be set up later (createPages, takePage).
    void adoptPage(QWidget* page);

    std::array<QPointer<QWidget>, maxPages> pages;
    int count = 0;
    bool created = false;

  private:
    LIRVETO_RESPONSE_TABLE(TTabWindow, framework::TWindow);

    framework::LRESULT relayBroadcast(framework::WPARAM w, framework::LPARAM l);
    framework::LRESULT relaySettingsChanged(framework::WPARAM w, framework::LPARAM l);
    framework::LRESULT fitFrame(framework::WPARAM w, framework::LPARAM l);
    framework::LRESULT relayUpdateTitle(framework::WPARAM w, framework::LPARAM l);
    void postToEveryPage(framework::UINT message, framework::WPARAM w, framework::LPARAM l);
};

}  // namespace controls
