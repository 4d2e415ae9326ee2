#pragma once
#include <QDialog>
#include <QPointer>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QToolButton;

// Positions of the information window's controls, in twips (1/1440 inch).
struct TwipRect {
    double left = 0, top = 0, width = 0, height = 0;
};

struct ZusatzInfoLayout {
    TwipRect Label1, Text1, Command1, Command2, Label2, Label3;
    double lineX1 = 0, lineX2 = 0, lineY = 0;  // Line1, horizontal
};

// The layout for the inner size W × H; the two labels keep their own (font-given) sizes.
ZusatzInfoLayout zusatzInfoLayout(double W, double H, double label1Width, double label1Height, double label2Width,
                                  double label2Height);

// The window's outer size is never below this, in twips.
inline constexpr double kZusatzInfoMinWidth = 3705;
inline constexpr double kZusatzInfoMinHeight = 6225;

int twipsToPixels(double twips, int dpi);
double pixelsToTwips(int pixels, int dpi);

// A modal window that shows a longer information text about the window it was opened from.
class ZusatzInfo : public QDialog {
    Q_OBJECT
public:
    ZusatzInfo(QWidget* parent = nullptr);

    // Loads the window, shows the text, centres it on the screen and waits until it is closed.
    static void Anzeigen(const QString& text);
    // The window while it is loaded (also while Anzeigen waits), else null.
    static ZusatzInfo* current();

    void setText(const QString& text);  // lines separated by CR LF
    QString text() const { return m_text; }

    // The layout last applied, in twips, and the resolution it was converted with.
    const ZusatzInfoLayout& twipLayout() const { return m_layout; }
    void centreOnScreen();

    void Command1_Click();
    void Command2_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Resize();
    void applyMinimumSize();

    QLabel* Label1;
    QPlainTextEdit* Text1;
    QToolButton* Command2;  // "Drucken"
    QToolButton* Command1;  // "Schließen"
    QFrame* Line1;
    QLabel* Label2;
    QLabel* Label3;

    QString m_text;
    ZusatzInfoLayout m_layout;
};
