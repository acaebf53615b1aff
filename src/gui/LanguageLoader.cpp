#include "gui/LanguageLoader.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

#include "app/Languages.h"
#include "platform/IniFiles.h"

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
  } else if (auto* menu = qobject_cast<QMenu*>(widget)) {
    current = menu->title();
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
  } else if (auto* menu = qobject_cast<QMenu*>(widget)) {
    menu->setTitle(FromStd(text.Caption));
  }
  widget->setToolTip(FromStd(text.Hint));
}

void ApplyColumns(TLanguageFile& file, const TTarget& target, QAbstractItemModel& model) {
  for (int column = 0; column < model.columnCount(); ++column) {
    const QString current = model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    model.setHeaderData(column, Qt::Horizontal, FromStd(file.Item(target.Form, target.Name, column, Std(current))),
                        Qt::DisplayRole);
  }
}

void ApplyItems(TLanguageFile& file, const TTarget& target, QComboBox* combo) {
  for (int item = 0; item < combo->count(); ++item) {
    combo->setItemText(item, FromStd(file.Item(target.Form, target.Name, item, Std(combo->itemText(item)))));
  }
}

void ApplyActions(TLanguageFile& file, const std::string& formName, QWidget* form) {
  for (QAction* action : form->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
    const QString name = action->objectName();
    if (!name.isEmpty()) {
      const TCaptionHint text = file.CaptionAndHint(formName, Std(name), Std(action->text()));
      action->setText(FromStd(text.Caption));
      action->setToolTip(FromStd(text.Hint));
    }
  }
}

// A window's own widgets: those of a window it owns (the options dialog) have their own section;
// its menus are windows of their own but belong to it.
bool BelongsTo(QWidget* widget, QWidget* form) {
  if (qobject_cast<QMenu*>(widget)) {
    return widget->parentWidget() && widget->parentWidget()->window() == form;
  }
  return widget->window() == form;
}

}  // namespace

void ApplyLanguage(TLanguageFile& file, QWidget* form) {
  const std::string formName = Std(form->objectName());
  file.BeginForm(formName, Std(form->windowTitle()));
  QCoreApplication::processEvents();
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    // The parts Qt makes itself ("qt_...", a tab bar's scroll buttons) are no components of ours.
    if (!BelongsTo(widget, form) || name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
        qobject_cast<QTabBar*>(widget->parentWidget())) {
      continue;
    }
    const TTarget target{formName, Std(name)};
    if (QTabWidget* tabs = TabOwner(widget)) {
      const int index = tabs->indexOf(widget);
      tabs->setTabText(index, FromStd(file.Caption(target.Form, target.Name, Std(tabs->tabText(index)))));
    } else if (auto* list = qobject_cast<QAbstractItemView*>(widget); list && list->model()) {
      ApplyColumns(file, target, *list->model());
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      if (combo->property(TranslatedItemsProperty).toBool()) {
        ApplyItems(file, target, combo);
      }
    } else {
      ApplyCaption(file, target, widget);
    }
  }
  ApplyActions(file, formName, form);
}

QString LanguageName(const QString& fileName, const QString& fallback) {
  const std::string name = GetPrivateProfileString("Language", "Name", "", Std(fileName));
  return name.empty() ? fallback : FromStd(name);
}
