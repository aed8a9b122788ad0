#pragma once

#include <QSpinBox>

namespace oxeln {

// A spin box whose number cannot be typed: it moves only by its arrows and
// the Up/Down keys, by the step, clamped to its limits. Typed characters,
// cut and paste are refused with a beep; the mouse wheel changes nothing; a
// right click shows no menu.
class SpinEdit : public QSpinBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpinEdit)

public:
    explicit SpinEdit(QWidget *parent = nullptr);

signals:
    // A click in the number field (not on the arrows).
    void numberFieldClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    int valueFromText(const QString &text) const override;
    QValidator::State validate(QString &input, int &pos) const override;
};

} // namespace oxeln
