#include "gui/LanguageLoader.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/Languages.h"

namespace {

struct TTarget {
  std::string Form;
  std::string Name;
};

std::string Std(const QString& text) { return text.toStdString(); }
QString FromStd(const std::string& text) { return QString::fromStdString(text); }

// A page of a tab widget sits in the tab widget's own stack.
QTabWidget* TabOwner(QWidget* widget) {
  auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
  return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

void ApplyCaption(TLanguageFile& file, const TTarget& target, QWidget* widget) {
  QString current;
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    current = label->text();
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    current = button->text();
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    current = group->title();
  } else {
    return;
  }
  const TCaptionHint text = file.CaptionAndHint(target.Form, target.Name, Std(current));
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(FromStd(text.Caption));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(FromStd(text.Caption));
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(FromStd(text.Caption));
  }
  widget->setToolTip(FromStd(text.Hint));
}

void ApplyColumns(TLanguageFile& file, const TTarget& target, QTreeWidget* list) {
  QTreeWidgetItem* header = list->headerItem();
  for (int column = 0; column < list->columnCount(); ++column) {
    header->setText(column, FromStd(file.Item(target.Form, target.Name, column, Std(header->text(column)))));
  }
}

}  // namespace

void ApplyLanguage(TLanguageFile& file, QWidget* form) {
  const std::string formName = Std(form->objectName());
  file.BeginForm(formName, Std(form->windowTitle()));
  QCoreApplication::processEvents();
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    // A window owned by this one (the options dialog) has its own section.
    if (widget->window() != form) {
      continue;
    }
    const QString name = widget->objectName();
    // The parts Qt makes itself ("qt_...", a tab bar's scroll buttons) are no components of ours.
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || qobject_cast<QTabBar*>(widget->parentWidget())) {
      continue;
    }
    const TTarget target{formName, Std(name)};
    if (QTabWidget* tabs = TabOwner(widget)) {
      const int index = tabs->indexOf(widget);
      tabs->setTabText(index, FromStd(file.Caption(target.Form, target.Name, Std(tabs->tabText(index)))));
    } else if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
      ApplyColumns(file, target, list);
    } else {
      ApplyCaption(file, target, widget);
    }
  }
}
