#pragma once
// The sound pages of the tab window, in tab order.

#include <QWidget>
#include <memory>
#include <vector>

#include "framework/page_services.h"

namespace app {

std::vector<std::unique_ptr<QWidget>> makeSoundPages(framework::PageServices& services);

}  // namespace app
