#pragma once

#include <QFrame>

class QCheckBox;
class QLabel;
class QVariantAnimation;

// The message panel that slides up from the bottom of its parent (the task list area) while a disc loads or a
// conversion runs. It grows and shrinks by animation, so the window keeps handling events the whole time.
class THintPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int FullHeight = 109;
    static constexpr int FullWidth = 398;

    explicit THintPanel(QWidget* parent);

    // Shows the text (with the turn-off box hidden) and grows the panel; returns at once.
    void ShowHint(const QString& text);
    void SetText(const QString& text);
    // Shrinks the panel and hides it at the end; returns at once.
    void HideHint();
    bool Animating() const;

    QLabel* labHint = nullptr;
    QCheckBox* chkTurnoff = nullptr;

signals:
    void Grown();
    void Hidden();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetPanelHeight(int height);
    void Place(); // centred at the bottom of the parent

    QVariantAnimation* FAnimation = nullptr;
    bool FShowing = false;
};
