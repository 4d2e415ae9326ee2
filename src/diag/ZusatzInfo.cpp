#include "diag/ZusatzInfo.h"
#include "diag/DialogService.h"
#include "diag/NamedControl.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <cmath>

namespace {
constexpr double kMargin = 225;
constexpr double kButton = 720;
constexpr double kHintHeight = 720;

QPointer<ZusatzInfo>& instance()
{
    static QPointer<ZusatzInfo> p;
    return p;
}

QRect toPixels(const TwipRect& r, int dpiX, int dpiY)
{
    return QRect(twipsToPixels(r.left, dpiX), twipsToPixels(r.top, dpiY), twipsToPixels(r.width, dpiX),
                 twipsToPixels(r.height, dpiY));
}
}  // namespace

int twipsToPixels(double twips, int dpi) { return int(std::lround(twips * dpi / 1440.0)); }
double pixelsToTwips(int pixels, int dpi) { return double(pixels) * 1440.0 / dpi; }

ZusatzInfoLayout zusatzInfoLayout(double W, double H, double label1Width, double label1Height, double label2Width,
                                  double label2Height)
{
    ZusatzInfoLayout l;
    l.Label3.height = kHintHeight;
    l.Label3.top = H - kMargin - kHintHeight;
    l.Label3.left = kMargin;
    l.Label3.width = W - kMargin - l.Label3.left;
    l.Label2.width = label2Width;
    l.Label2.height = label2Height;
    l.Label2.top = l.Label3.top - kMargin / 2 - label2Height;
    l.Label2.left = l.Label3.left;
    l.lineX1 = l.Label3.left;
    l.lineX2 = l.Label3.left + l.Label3.width;
    l.lineY = l.Label2.top - kMargin;
    l.Command1 = {l.Label3.left + l.Label3.width - kButton, l.lineY - kMargin - kButton, kButton, kButton};
    l.Command2 = {l.Command1.left - kMargin - kButton, l.Command1.top, kButton, kButton};
    l.Label1 = {(W - label1Width) / 2, kMargin, label1Width, label1Height};
    l.Text1.top = l.Label1.top + l.Label1.height + kMargin;
    l.Text1.left = l.Label3.left;
    l.Text1.width = l.Label3.width;
    l.Text1.height = l.Command1.top - kMargin - l.Text1.top;
    return l;
}

ZusatzInfo::ZusatzInfo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ZusatzInfo"));
    setWindowTitle(QStringLiteral("Informationen zu dieser Maske"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    setModal(true);

    Label1 = namedControl<QLabel>(this, "Label1", QStringLiteral("Zusatzinformationen"));
    QFont heading = font();
    heading.setBold(true);
    heading.setPointSize(12);
    Label1->setFont(heading);
    Label1->adjustSize();
    Text1 = namedControl<QPlainTextEdit>(this, "Text1");
    Text1->setReadOnly(true);
    auto makeButton = [this](const QString& caption, QStyle::StandardPixmap icon, const char* name) {
        auto* b = namedControl<QToolButton>(this, name);
        b->setText(caption);
        b->setIcon(style()->standardIcon(icon));
        b->setIconSize(QSize(20, 20));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        QFont small = font();
        small.setPointSize(7);
        b->setFont(small);
        return b;
    };
    Command2 = makeButton(QStringLiteral("Drucken"), QStyle::SP_FileDialogDetailedView, "Command2");
    Command1 = makeButton(QStringLiteral("Schließen"), QStyle::SP_DialogCloseButton, "Command1");
    Line1 = namedControl<QFrame>(this, "Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Label2 = namedControl<QLabel>(this, "Label2", QStringLiteral("Weiterführende Informationen :"));
    Label2->adjustSize();
    Label3 = namedControl<QLabel>(this, "Label3",
                                  QStringLiteral("Benutzen Sie unsere Online-Hilfe durch die F1 - Taste  bzw. schlagen "
                                                 "Sie in unserem umfangreichen Benutzerhandbuch nach."));
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setText(QStringLiteral("leer"));

    connect(Command1, &QToolButton::clicked, this, &ZusatzInfo::Command1_Click);
    connect(Command2, &QToolButton::clicked, this, &ZusatzInfo::Command2_Click);

    applyMinimumSize();
    resize(twipsToPixels(6600, logicalDpiX()), twipsToPixels(kZusatzInfoMinHeight + 600, logicalDpiY()));
}

void ZusatzInfo::setText(const QString& text)
{
    m_text = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    Text1->setPlainText(shown);
}

void ZusatzInfo::applyMinimumSize()
{
    // The minimum counts the frame; Qt's minimum is the inner size.
    const QSize frame = testAttribute(Qt::WA_WState_Created) ? frameGeometry().size() - size() : QSize(0, 0);
    setMinimumSize(twipsToPixels(kZusatzInfoMinWidth, logicalDpiX()) - frame.width(),
                   twipsToPixels(kZusatzInfoMinHeight, logicalDpiY()) - frame.height());
}

void ZusatzInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    applyMinimumSize();
}

void ZusatzInfo::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void ZusatzInfo::Form_Resize()
{
    if (isMinimized())
        return;
    const int dx = logicalDpiX();
    const int dy = logicalDpiY();
    const QSize l1 = Label1->sizeHint();
    const QSize l2 = Label2->sizeHint();
    m_layout =
        zusatzInfoLayout(pixelsToTwips(width(), dx), pixelsToTwips(height(), dy), pixelsToTwips(l1.width(), dx),
                         pixelsToTwips(l1.height(), dy), pixelsToTwips(l2.width(), dx), pixelsToTwips(l2.height(), dy));
    Label1->setGeometry(toPixels(m_layout.Label1, dx, dy));
    Text1->setGeometry(toPixels(m_layout.Text1, dx, dy));
    Command1->setGeometry(toPixels(m_layout.Command1, dx, dy));
    Command2->setGeometry(toPixels(m_layout.Command2, dx, dy));
    Label2->setGeometry(toPixels(m_layout.Label2, dx, dy));
    Label3->setGeometry(toPixels(m_layout.Label3, dx, dy));
    const int x1 = twipsToPixels(m_layout.lineX1, dx);
    const int x2 = twipsToPixels(m_layout.lineX2, dx);
    const int y = twipsToPixels(m_layout.lineY, dy);
    Line1->setGeometry(x1, y - 1, x2 - x1, 3);
}

void ZusatzInfo::centreOnScreen()
{
    // The frame's size is known once the window exists on the platform.
    if (!testAttribute(Qt::WA_WState_Created))
        create();
    applyMinimumSize();
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect area = s->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

void ZusatzInfo::Command1_Click() { close(); }

void ZusatzInfo::Command2_Click() { dialogs().printWidget(this); }

ZusatzInfo* ZusatzInfo::current() { return instance(); }

void ZusatzInfo::Anzeigen(const QString& text)
{
    if (!instance()) {
        instance() = new ZusatzInfo(QApplication::activeWindow());
        instance()->setAttribute(Qt::WA_DeleteOnClose);
    }
    QPointer<ZusatzInfo> w = instance();
    w->setText(text);
    w->centreOnScreen();
    w->exec();
}
