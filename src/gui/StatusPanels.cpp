#include "gui/StatusPanels.h"

TStatusPanels::TStatusPanels(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("StatusBar1"));
  setSizeGripEnabled(true);
  constexpr int Widths[] = {200, 50, 50};
  for (size_t panel = 0; panel < FPanels.size(); ++panel) {
    auto* label = new QLabel(this);
    label->setMinimumWidth(Widths[panel]);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    // The first panel takes the room a failure message needs; the others their own text.
    addWidget(label, panel == 0 ? 1 : 0);
    FPanels[panel] = label;
  }
}

QString TStatusPanels::PanelText(int panel) const {
  return panel >= 0 && panel < static_cast<int>(FPanels.size()) ? FPanels[panel]->text() : QString();
}

void TStatusPanels::SetPanelText(int panel, const QString& text) {
  if (panel >= 0 && panel < static_cast<int>(FPanels.size())) {
    FPanels[panel]->setText(text);
    FPanels[panel]->setToolTip(text);
  }
}
