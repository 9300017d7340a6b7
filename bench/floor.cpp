// The floor: the calculator's visible job done with Qt Widgets alone, to measure
// the program against. One 137 x 169 tool window with the seventeen buttons in
// the calculator's fonts and sizes; each digit key puts the typed number in the
// title, Escape hides the window. No tray, no settings, no engine.
#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>
#include <QWidget>

namespace {

struct Button
{
    const char *text;
    int x, y, w, h, pixels;
    bool bold;
};

const Button Buttons[] = {
    {"AC", 4, 4, 33, 33, 19, true},    {"/", 36, 4, 33, 33, 24, true},
    {"*", 68, 4, 33, 33, 24, true},    {"-", 100, 4, 33, 33, 24, true},
    {"7", 4, 36, 33, 33, 24, false},   {"8", 36, 36, 33, 33, 24, false},
    {"9", 68, 36, 33, 33, 24, false},  {"4", 4, 68, 33, 33, 24, false},
    {"5", 36, 68, 33, 33, 24, false},  {"6", 68, 68, 33, 33, 24, false},
    {"1", 4, 100, 33, 33, 24, false},  {"2", 36, 100, 33, 33, 24, false},
    {"3", 68, 100, 33, 33, 24, false}, {"0", 4, 132, 65, 33, 24, false},
    {".", 68, 132, 33, 33, 24, false}, {"+", 100, 36, 33, 65, 24, true},
    {"=", 100, 100, 33, 65, 24, true},
};

class Calculator : public QWidget
{
public:
    Calculator() : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    {
        setWindowTitle(QStringLiteral("Mochiten V2"));
        setFixedSize(137, 169);
        QFont windowFont(QStringLiteral("IPAPGothic"));
        windowFont.setPixelSize(12);
        setFont(windowFont);
        for (const Button &b : Buttons) {
            auto *button = new QToolButton(this);
            button->setGeometry(b.x, b.y, b.w, b.h);
            button->setFocusPolicy(Qt::NoFocus);
            QFont f = windowFont;
            f.setPixelSize(b.pixels);
            f.setBold(b.bold);
            button->setFont(f);
            const QString text = QString::fromLatin1(b.text);
            button->setText(text);
            if (text.at(0).isDigit())
                connect(button, &QToolButton::clicked, this, [this, text] { type(text); });
        }
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const QString text = event->text();
        if (text.size() == 1 && text.at(0).isDigit())
            type(text);
        else if (event->key() == Qt::Key_Escape)
            hide();
        QWidget::keyPressEvent(event);
    }

private:
    void type(const QString &digit)
    {
        number += digit;
        setWindowTitle(number);
    }

    QString number;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    Calculator calculator;
    calculator.show();
    return app.exec();
}
