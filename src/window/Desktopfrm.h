#pragma once

// The full-screen coloured backdrop that can hide the desktop behind the word window.
#include <QPointer>
#include <QWidget>

class TRecite;

class TfrmDesktop : public QWidget {
public:
    // `owner` is the word window: it owns the backdrop and is told when the backdrop is
    // clicked. It is not the Qt parent, so the backdrop is not kept above it.
    TfrmDesktop(TRecite* engine, QWidget* owner);

    // Each showing takes the current learner's colour and covers the owner's screen.
    void FormShow();
    // Any button on the backdrop hides the backdrop and the word window.
    void FormMouseDown();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TRecite* engine_;
    QPointer<QWidget> owner_;
};
