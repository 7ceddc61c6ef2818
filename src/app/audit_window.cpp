// The audit trail window: the trail's entries, filtered, its chain and its printout.
#include "app/audit_window.h"

#include "logger/program_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace vx
{

namespace
{

// The table's columns, in this order (their captions: header_keys).
enum Column {
    col_time,
    col_action,
    col_result,
    col_serial,
    col_model,
    col_mission,
    col_user,
    col_details,
    columns
};

QString text_of(const QJsonValue& v)
{
    if (v.isDouble()) return QString::number(v.toInteger());
    return v.toString();
}

QDateTime time_of(const QJsonObject& e)
{
    return QDateTime::fromString(e.value(QStringLiteral("time")).toString(), Qt::ISODate);
}

} // namespace

Tfrmaudit::Tfrmaudit(Global& g, QPrinter& printer, QWidget* parent)
    : QDialog(parent), g_(g), printer_(printer)
{
    setObjectName(QStringLiteral("frmaudit"));
    setModal(false);
    resize(1180, 560);

    LBLlogger = new QLabel(this);
    CBlogger = new QComboBox(this);
    CBlogger->setObjectName(QStringLiteral("CBlogger"));
    CBlogger->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    CBlogger->addItem(QString()); // all loggers
    CHKfrom = new QCheckBox(this);
    CHKfrom->setObjectName(QStringLiteral("CHKfrom"));
    CHKto = new QCheckBox(this);
    CHKto->setObjectName(QStringLiteral("CHKto"));
    DTfrom = new QDateTimeEdit(this);
    DTfrom->setObjectName(QStringLiteral("DTfrom"));
    DTto = new QDateTimeEdit(this);
    DTto->setObjectName(QStringLiteral("DTto"));
    for (QDateTimeEdit* dt : {DTfrom, DTto}) {
        dt->setDisplayFormat(QStringLiteral("d.M.yyyy hh:mm"));
        dt->setCalendarPopup(true);
        dt->setEnabled(false);
    }
    auto* filter = new QHBoxLayout;
    filter->addWidget(LBLlogger);
    filter->addWidget(CBlogger);
    filter->addSpacing(16);
    filter->addWidget(CHKfrom);
    filter->addWidget(DTfrom);
    filter->addWidget(CHKto);
    filter->addWidget(DTto);
    filter->addStretch(1);

    LVtrail = new QTableWidget(0, columns, this);
    LVtrail->setObjectName(QStringLiteral("LVtrail"));
    LVtrail->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LVtrail->setSelectionBehavior(QAbstractItemView::SelectRows);
    LVtrail->verticalHeader()->setVisible(false);
    // The details take the room left; long texts show whole in their hints.
    LVtrail->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    LVtrail->horizontalHeader()->setSectionResizeMode(col_details, QHeaderView::Stretch);
    LVtrail->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft);
    LVtrail->setWordWrap(false);

    LBLchain = new QLabel(this);
    LBLchain->setObjectName(QStringLiteral("LBLchain"));
    LBLchain->setWordWrap(true);
    BTrefresh = new QPushButton(this);
    BTrefresh->setObjectName(QStringLiteral("BTrefresh"));
    BTprint = new QPushButton(this);
    BTprint->setObjectName(QStringLiteral("BTprint"));
    BTclose = new QPushButton(this);
    BTclose->setObjectName(QStringLiteral("BTclose"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LBLchain, 1);
    bottom->addWidget(BTrefresh);
    bottom->addWidget(BTprint);
    bottom->addWidget(BTclose);

    auto* lay = new QVBoxLayout(this);
    lay->addLayout(filter);
    lay->addWidget(LVtrail, 1);
    lay->addLayout(bottom);

    connect(CBlogger, &QComboBox::currentIndexChanged, this, &Tfrmaudit::apply_filter);
    connect(CHKfrom, &QCheckBox::toggled, DTfrom, &QWidget::setEnabled);
    connect(CHKto, &QCheckBox::toggled, DTto, &QWidget::setEnabled);
    for (QCheckBox* box : {CHKfrom, CHKto})
        connect(box, &QCheckBox::toggled, this, &Tfrmaudit::apply_filter);
    for (QDateTimeEdit* dt : {DTfrom, DTto})
        connect(dt, &QDateTimeEdit::dateTimeChanged, this, &Tfrmaudit::apply_filter);
    connect(BTrefresh, &QPushButton::clicked, this, &Tfrmaudit::load);
    connect(BTprint, &QPushButton::clicked, this, &Tfrmaudit::print);
    connect(BTclose, &QPushButton::clicked, this, &QDialog::close);
    ChangeLanguage();
}

void Tfrmaudit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    load();
}

void Tfrmaudit::ChangeLanguage()
{
    const Language& L = g_.lang;
    setWindowTitle(L.capt(170));
    LBLlogger->setText(L.capt(171));
    CBlogger->setItemText(0, L.capt(172));
    CHKfrom->setText(L.capt(173));
    CHKto->setText(L.capt(174));
    BTrefresh->setText(L.capt(175));
    BTprint->setText(L.capt(176));
    BTclose->setText(L.capt(177));
    // Time and action, then result, serial, model, mission, user and details.
    static constexpr int header_keys[] = {178, 179, 221, 222, 223, 224, 225, 226};
    static_assert(std::size(header_keys) == columns);
    QStringList headers;
    for (const int key : header_keys)
        headers << L.capt(key);
    LVtrail->setHorizontalHeaderLabels(headers);
    LBLchain->setText(chain_text());
}

QString Tfrmaudit::chain_text() const
{
    const Language& L = g_.lang;
    const AuditCheck& c = read_.check;
    if (!read_.error.isEmpty()) return L.mess(212).arg(read_.error);
    if (read_.missing) return L.mess(211).arg(AuditTrail(g_.program_dir).path());
    switch (c.kind) {
    case AuditCheck::Break::none:
        return L.mess(166).arg(c.entries);
    case AuditCheck::Break::not_json:
        return L.mess(167).arg(c.broken_at);
    case AuditCheck::Break::not_first:
        return L.mess(168).arg(c.broken_at);
    case AuditCheck::Break::not_next:
        return L.mess(169).arg(c.broken_at).arg(c.broken_at - 1);
    }
    return {};
}

void Tfrmaudit::load()
{
    read_ = AuditTrail(g_.program_dir).read();
    // The loggers of the trail by serial number, with their missions.
    QMap<int, QStringList> loggers;
    for (const AuditRow& row : read_.entries) {
        const QJsonValue serial = row.entry.value(QStringLiteral("serial"));
        if (!serial.isDouble()) continue;
        QStringList& missions = loggers[serial.toInt()];
        const QString mission = row.entry.value(QStringLiteral("mission")).toString();
        if (!mission.isEmpty() && !missions.contains(mission)) missions << mission;
    }
    const QVariant chosen = CBlogger->currentData();
    {
        const QSignalBlocker block(CBlogger);
        CBlogger->clear();
        CBlogger->addItem(g_.lang.capt(172));
        for (auto it = loggers.cbegin(); it != loggers.cend(); ++it)
            CBlogger->addItem(it.value().isEmpty()
                                  ? QString::number(it.key())
                                  : QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value().join(", ")),
                              it.key());
        CBlogger->setCurrentIndex(std::max(0, CBlogger->findData(chosen)));
    }
    // Unticked time bounds follow the trail's first and last entries.
    if (!read_.entries.isEmpty()) {
        const QSignalBlocker block_from(DTfrom), block_to(DTto);
        if (!CHKfrom->isChecked()) DTfrom->setDateTime(time_of(read_.entries.first().entry).toLocalTime());
        if (!CHKto->isChecked()) DTto->setDateTime(time_of(read_.entries.last().entry).toLocalTime());
    }
    LBLchain->setText(chain_text());
    LBLchain->setStyleSheet(read_.check.holds() && read_.error.isEmpty() ? QString()
                                                                         : QStringLiteral("color: #b00000"));
    apply_filter();
}

void Tfrmaudit::apply_filter()
{
    const QVariant serial = CBlogger->currentData();
    // Bounds to the minute, as the editors show them.
    const QDateTime from = DTfrom->dateTime(), to = DTto->dateTime().addSecs(59);
    LVtrail->setRowCount(0);
    for (const AuditRow& row : read_.entries) {
        const QJsonObject& e = row.entry;
        if (serial.isValid() && e.value(QStringLiteral("serial")).toInt(-1) != serial.toInt()) continue;
        const QDateTime t = time_of(e);
        if (CHKfrom->isChecked() && !(t >= from)) continue;
        if (CHKto->isChecked() && !(t <= to)) continue;
        QString result = e.value(QStringLiteral("result")).toString();
        if (e.contains(QStringLiteral("reason")))
            result += QStringLiteral(": ") + text_of(e[QStringLiteral("reason")]);
        const QString cells[columns] = {text_of(e[QStringLiteral("time")]),
                                        text_of(e[QStringLiteral("action")]),
                                        result,
                                        text_of(e[QStringLiteral("serial")]),
                                        text_of(e[QStringLiteral("model")]),
                                        text_of(e[QStringLiteral("mission")]),
                                        text_of(e[QStringLiteral("user")]) + QLatin1Char('@') +
                                            text_of(e[QStringLiteral("host")]),
                                        audit_details_text(e.value(QStringLiteral("details")).toObject())};
        const QJsonObject program = e.value(QStringLiteral("program")).toObject();
        const QString tip =
            QStringLiteral("%1 %2, #%3")
                .arg(text_of(program[QStringLiteral("name")]), text_of(program[QStringLiteral("version")]))
                .arg(row.line);
        const int r = LVtrail->rowCount();
        LVtrail->insertRow(r);
        for (int c = 0; c < columns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c] + QLatin1Char('\n') + tip);
            // The entry that breaks the chain stands out.
            if (row.line == read_.check.broken_at) item->setBackground(QColor(255, 205, 205));
            LVtrail->setItem(r, c, item);
        }
    }
    for (int c = 0; c < col_details; ++c) {
        LVtrail->resizeColumnToContents(c);
        LVtrail->setColumnWidth(c, std::min(LVtrail->columnWidth(c), 240));
    }
    LVtrail->scrollToBottom();
}

QString Tfrmaudit::printout() const
{
    QString html = QStringLiteral("<h3>%1</h3><p>%2 %3")
                       .arg(windowTitle().toHtmlEscaped(), LBLlogger->text().toHtmlEscaped(),
                            CBlogger->currentText().toHtmlEscaped());
    if (CHKfrom->isChecked()) html += QStringLiteral(" &nbsp; %1 %2").arg(CHKfrom->text(), DTfrom->text());
    if (CHKto->isChecked()) html += QStringLiteral(" &nbsp; %1 %2").arg(CHKto->text(), DTto->text());
    html += QStringLiteral("<br>%1</p><table border=\"1\" cellspacing=\"0\" cellpadding=\"2\"><tr>")
                .arg(LBLchain->text().toHtmlEscaped());
    for (int c = 0; c < columns; ++c)
        html += QStringLiteral("<th>%1</th>").arg(LVtrail->horizontalHeaderItem(c)->text().toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (int r = 0; r < LVtrail->rowCount(); ++r) {
        html += QStringLiteral("<tr>");
        for (int c = 0; c < columns; ++c)
            html += QStringLiteral("<td>%1</td>").arg(LVtrail->item(r, c)->text().toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table><p>%1</p>").arg(AuditTrail(g_.program_dir).path().toHtmlEscaped());
}

void Tfrmaudit::print()
{
    if (choose_printer ? !choose_printer(printer_)
                       : QPrintDialog(&printer_, this).exec() != QDialog::Accepted)
        return;
    QTextDocument doc;
    doc.setDefaultFont(QFont(font().family(), 7));
    doc.setHtml(printout());
    doc.print(&printer_);
}

} // namespace vx
