#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace vardelo::test {

/// Answers the next modal message box with OK once it opens, remembering what it said: message boxes
/// block their caller in their own event loop, so a test must answer them from a timer.
class ModalWatcher final
{
public:
    ModalWatcher()
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            m_timer.stop();
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            ++answered;
            if (beforeAnswer) {
                beforeAnswer();
            }
            box->button(QMessageBox::Ok)->click();
        });
        m_timer.start();
    }

    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int answered = 0;
    /// Runs while the box is still open, before it is answered.
    std::function<void()> beforeAnswer;

private:
    QTimer m_timer;
};

} // namespace vardelo::test
