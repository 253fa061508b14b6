#pragma once

#include <QDialog>

class EditBuffer;
class Host;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;
struct ColorToolState;
struct Settings;

// The color code tool "ColorCode": three sliders mix a color, shown as a swatch and as its
// "#RRGGBB" code. OK delivers it by the mode word (a code at the caret, or the editor's back or
// text color) and closes; the close box delivers nothing. Loaded afresh at every opening.
class frmColor : public QDialog {
    Q_OBJECT
public:
    frmColor(ColorToolState& color, Settings& settings, Host& host, EditBuffer& buffer,
             QWidget* owner = nullptr);

    void Form_Load();
    void S1_Scroll() { refreshPreview(); }
    void S2_Scroll() { refreshPreview(); }
    void S3_Scroll() { refreshPreview(); }
    void Command1_Click();

    QSlider* S1 = nullptr;
    QSlider* S2 = nullptr;
    QSlider* S3 = nullptr;
    QFrame* Pic = nullptr;
    QLabel* lblCC = nullptr;
    QPushButton* Command1 = nullptr;

private:
    void refreshPreview();
    void deliver();

    ColorToolState& m_color;
    Settings& m_settings;
    Host& m_host;
    EditBuffer& m_buffer;
};
