#include "widgets/SharedForm.h"

#include "db/ConnectionPool.h"

#include <algorithm>
#include <QScreen>

namespace {
int loadedForms = 0;
}

void SharedFormLoaded()
{
    ++loadedForms;
}

void SharedFormGone()
{
    if (--loadedForms == 0)
        ConnectionPool::CloseAll();
}

void FitOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame is known only once shown; before that, allow for a title bar and borders.
    const QSize frame = window->isVisible() ? window->frameSize() - window->size() : QSize(8, 32);
    const QSize room = (area.size() - frame).expandedTo(window->minimumSize());
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));
    // A window nobody placed is left to the window manager.
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Moved))
        return;
    const QSize outer = window->size() + frame;
    QPoint at = window->pos();
    at.setX(
        std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
    at.setY(
        std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    window->move(at);
}
