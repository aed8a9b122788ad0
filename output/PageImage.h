#pragma once

#include <QWidget>

#include <memory>

class QSvgRenderer;

namespace oxeln {

// A page picture of the preview: an SVG page file stretched to the widget.
class PageImage : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageImage)

public:
    explicit PageImage(QWidget *parent = nullptr);
    ~PageImage() override;

    // Loads the file's picture; a file that is no SVG leaves the image empty.
    bool load(const QString &fileName);
    void clear();
    bool hasPicture() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<QSvgRenderer> m_renderer;
};

} // namespace oxeln
