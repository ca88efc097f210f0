#pragma once
// TVSlider: the vertical slider of the sound pages, drawn with a thumb bitmap. Position 0 is at
// the top, as on the pages' sliders, where value = maximum - position. Underneath, the QSlider
// value is that page value, minimum at the bottom, so the groove fills below the thumb.

#include <QPixmap>
#include <QSlider>

#include "framework/window.h"

namespace controls {

class TVSlider : public framework::TWindowT<QSlider> {
  public:
    TVSlider(QWidget* parent, int id, int thumbResourceId = 5004);

    int position() const { return maximum() + minimum() - value(); }
    void setPosition(int position) { setValue(maximum() + minimum() - position); }
    const QPixmap& thumb() const { return thumbBitmap; }

  protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QPixmap thumbBitmap;
};

// A page's slider with the range 0..maximum, laid over its frame static (which it hides): centred
// on it, 24 pixels wide, 10 pixels beyond it at each end. GUI thread.
TVSlider* makePageSlider(QWidget* page, int id, QWidget* frame, int maximum, int thumbResourceId);

}  // namespace controls
