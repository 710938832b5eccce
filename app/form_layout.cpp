// Stored values, keyboard order and alignment of the window's controls.
#include "app/form_layout.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace tanmira {

void SetCaption(QAbstractButton* control, const QString& caption) {
    control->setText(caption);
}

void SetCaption(QLabel* control, const QString& caption) {
    control->setText(caption);
}

void SetCaption(QGroupBox* control, const QString& caption) {
    control->setTitle(caption);
}

void SetCaption(QLineEdit* control, const QString& caption) {
    control->setText(caption);
}

void SetCaption(QPlainTextEdit* control, const QString& caption) {
    control->setPlainText(caption);
}

void FormBuilder::Apply(QWidget* control, const StoredControl& stored) {
    control->setObjectName(stored.name);
    control->setGeometry(stored.left, stored.top, stored.width, stored.height);
    if (stored.tabOrder != kNoTabStop)
        tabOrders_[control] = stored.tabOrder;
}

std::vector<QWidget*> FormBuilder::KeyboardOrder(const QWidget* root) const {
    std::vector<std::pair<int, QWidget*>> siblings;
    for (QObject* child : root->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        const auto found = widget != nullptr ? tabOrders_.find(widget) : tabOrders_.end();
        if (found != tabOrders_.end())
            siblings.emplace_back(found->second, widget);
    }
    std::stable_sort(siblings.begin(), siblings.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<QWidget*> order;
    for (const auto& [tabOrder, widget] : siblings) {
        std::vector<QWidget*> inner = KeyboardOrder(widget);
        if (!inner.empty())
            order.insert(order.end(), inner.begin(), inner.end());
        else if (widget->focusPolicy() & Qt::TabFocus)
            order.push_back(widget);
    }
    return order;
}

QWidget* NextInChain(const std::vector<QWidget*>& chain, const QWidget* current, bool next) {
    const auto n = static_cast<std::ptrdiff_t>(chain.size());
    if (n == 0)
        return nullptr;
    const auto at = std::find(chain.begin(), chain.end(), current) - chain.begin();
    // From outside the chain, the first step lands on the first (or last) control.
    std::ptrdiff_t i = at < n ? at : (next ? n - 1 : 0);
    for (std::ptrdiff_t step = 0; step < n; ++step) {
        i = (i + (next ? 1 : n - 1)) % n;
        QWidget* candidate = chain[static_cast<std::size_t>(i)];
        if (candidate != current && candidate->isEnabled() && candidate->isVisible())
            return candidate;
    }
    return nullptr;
}

AlignArranger::AlignArranger(QWidget* parent, QMargins insets)
    : QObject(parent), parent_(parent), insets_(insets) {
    parent->installEventFilter(this);
}

void AlignArranger::Add(QWidget* child, Align align) {
    items_.push_back({child, align});
    child->installEventFilter(this);
    Arrange();
}

void AlignArranger::Arrange() {
    QRect free = parent_->rect().marginsRemoved(insets_);
    for (const Item& item : items_) {
        const int height = item.widget->height();
        if (item.align == Align::Top) {
            item.widget->setGeometry(free.left(), free.top(), free.width(), height);
            free.setTop(free.top() + height);
        } else if (item.align == Align::Bottom) {
            item.widget->setGeometry(free.left(), free.bottom() + 1 - height, free.width(), height);
            free.setBottom(free.bottom() - height);
        }
    }
    for (const Item& item : items_) {
        if (item.align == Align::Client)
            item.widget->setGeometry(free.left(), free.top(), free.width(),
                                     std::max(0, free.height()));
    }
}

bool AlignArranger::eventFilter(QObject* /*watched*/, QEvent* event) {
    // A resize of the parent, or of an aligned child by its own code, is answered by the
    // alignment at once; setGeometry does nothing when the geometry already holds.
    if (event->type() == QEvent::Resize)
        Arrange();
    return false;
}

}  // namespace tanmira
