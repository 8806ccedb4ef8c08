#include "windows/HiddenTextBox.h"

namespace vardelo {

HiddenTextBox::HiddenTextBox(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    hide();
}

Status HiddenTextBox::setText(const QString& text)
{
    m_text = text;
    return Status::success();
}

} // namespace vardelo
