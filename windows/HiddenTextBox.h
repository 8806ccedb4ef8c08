#pragma once

#include <QWidget>

#include "collect/TextHolder.h"

namespace vardelo {

/// A text box that is never shown and never takes the focus; it keeps its text exactly.
class HiddenTextBox final : public QWidget, public TextHolder
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HiddenTextBox)

public:
    explicit HiddenTextBox(QWidget* parent = nullptr);

    Result<QString> text() const override { return m_text; }
    Status setText(const QString& text) override;

private:
    QString m_text;
};

} // namespace vardelo
