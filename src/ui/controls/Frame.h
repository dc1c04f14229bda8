#pragma once
// A panel: an etched rectangle with its caption on the top edge. Controls
// placed inside a panel measure in the panel's units, fifteen per pixel.
#include "ui/controls/Control.h"

#include <QWidget>

namespace qm::ui {

class Frame : public QWidget, public Control {
    Q_OBJECT
public:
    Frame(QWidget* parent, const QString& name, int index = -1);

    QString caption() const override { return m_caption; }
    void setCaption(const QString& caption) override;
    bool captionFits() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
};

} // namespace qm::ui
