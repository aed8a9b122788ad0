#include "PageImage.h"

#include <QPainter>
#include <QSvgRenderer>

namespace oxeln {

PageImage::PageImage(QWidget *parent)
    : QWidget(parent)
{
}

PageImage::~PageImage() = default;

bool PageImage::load(const QString &fileName)
{
    auto renderer = std::make_unique<QSvgRenderer>(fileName);
    if (renderer->isValid()) {
        renderer->setAspectRatioMode(Qt::IgnoreAspectRatio);
        m_renderer = std::move(renderer);
    } else {
        m_renderer.reset();
    }
    update();
    return hasPicture();
}

void PageImage::clear()
{
    m_renderer.reset();
    update();
}

bool PageImage::hasPicture() const
{
    return m_renderer != nullptr;
}

void PageImage::paintEvent(QPaintEvent *)
{
    if (!m_renderer)
        return;
    QPainter painter(this);
    m_renderer->render(&painter, QRectF(rect()));
}

} // namespace oxeln
