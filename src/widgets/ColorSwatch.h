#pragma once

#include <QLabel>
#include <functional>

// A caption-less label filled with a stored colour (0x00BBGGRR, or a system colour); a click
// asks for another one.
class TColorSwatch : public QLabel {
public:
    explicit TColorSwatch(QWidget* parent = nullptr);
    int ColorValue() const { return value_; }
    void SetColorValue(int value);
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int value_ = 0;
};
