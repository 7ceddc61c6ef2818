// A mission checked and typed once; see mission_plan.h.
#include "programming/mission_plan.h"

#include "base/code_page.h"
#include "base/language.h"
#include "logger/catalogue.h"
#include "programming/encoders.h"

namespace vx
{

namespace
{

constexpr int max_name_length = 15;

bool takes_limits(std::uint16_t type)
{
    return type == 101 || type == 103 || type == 129 || type == 131;
}

} // namespace

QJsonObject plan_values(const MissionPlan& p)
{
    const auto or_null = [](const std::optional<int>& v) { return v ? QJsonValue(*v) : QJsonValue(); };
    return {{QStringLiteral("type"), p.type},
            {QStringLiteral("name"), p.name},
            {QStringLiteral("remark"), p.remark},
            {QStringLiteral("interval"), p.interval},
            {QStringLiteral("gradient"), p.gradient},
            {QStringLiteral("flow_counts"), p.flow_counts},
            {QStringLiteral("lower"), or_null(p.lower)},
            {QStringLiteral("upper"), or_null(p.upper)},
            {QStringLiteral("pointer"), or_null(p.pointer)},
            {QStringLiteral("clear_pointer"), p.clear_pointer},
            {QStringLiteral("rollover"), p.rollover},
            {QStringLiteral("start"),
             p.start ? QJsonValue(p.start->toString(QStringLiteral("yyyy-MM-ddTHH:mm"))) : QJsonValue()},
            {QStringLiteral("averaging"), p.averaging}};
}

IntervalRange interval_range(std::uint16_t type)
{
    if (type == 0) return {0, 255}; // what some model takes; the model's own range follows
    if (type == 55) return {0, 99};
    if (type == 132) return {1, 60};
    return {1, 255};
}

std::optional<MissionPlan> parse_mission(const MissionForm& f, std::uint16_t type, const Language& lang,
                                         QString* refusal)
{
    auto refuse = [&](const QString& text) -> std::optional<MissionPlan> {
        if (refusal) *refusal = text;
        return std::nullopt;
    };
    MissionPlan p;
    p.type = type;
    // Every text goes into the logger or the record file's header: none may
    // break a line there or stand for another character.
    const auto field = [&](int label) {
        return capitalized(lang.label(label)).remove(QLatin1Char(':')).trimmed();
    };
    const std::pair<QString, const QString&> texts[] = {
        {field(188), f.name},         {field(173), f.remark},       {field(183), f.period},
        {field(184), f.gradient},     {field(189), f.pointer},      {field(54), f.flow_state},
        {field(55), f.flow_constant}, {field(56), f.flow_gradient}, {field(57), f.belsa_gradient},
        {field(58), f.belsa_total}};
    for (const auto& [what, text] : texts)
        if (const QString why = text_refusal(lang, what, text); !why.isEmpty()) return refuse(why);
    // One name for the logger, the record file, its header and the download mark.
    p.name = f.name.trimmed();
    if (p.name.isEmpty()) return refuse(lang.mess(116));
    if (p.name.contains(QLatin1Char('.')) || p.name.contains(QLatin1Char(',')) ||
        p.name.contains(QLatin1Char(':')))
        return refuse(lang.mess(22));
    if (p.name.size() > max_name_length) return refuse(lang.mess(117).arg(max_name_length));
    const auto name = to_cp1250(p.name);
    if (!name) return refuse(lang.mess(118));
    p.name_bytes = name->leftJustified(16, ' ', true);
    p.remark = f.remark;

    const auto gradient = to_number(f.gradient);
    if (!gradient) return refuse(not_a_number(lang, capitalized(lang.label(184)), f.gradient));
    if (*gradient < 0) return refuse(lang.mess(23));
    p.gradient = *gradient;
    p.gradient_text = f.gradient;

    if (type == 102) {
        if (!to_number(f.flow_state)) return refuse(lang.mess(119));
        if (!to_number(f.flow_constant)) return refuse(lang.mess(120));
        p.status_text = f.flow_state.trimmed();
        p.constant_text = f.flow_constant.trimmed();
    }

    const auto period = to_integer(f.period);
    const IntervalRange range = interval_range(type);
    if (type == 55 && (!period || *period < range.low || *period > range.high)) return refuse(lang.mess(21));
    if (!period) return refuse(not_a_number(lang, capitalized(lang.label(183)), f.period));
    if (type == 132 && *period > range.high) return refuse(lang.mess(121));
    if (*period < range.low || *period > range.high)
        return refuse(range_text(lang, capitalized(lang.label(183)), range.low, range.high));
    p.interval = *period + (type == 132 && f.synchro ? 60 : 0);
    p.interval_text = f.period.trimmed();

    if (type == 107) {
        const auto n = to_integer(f.flow_gradient);
        if (!n || *n < 0 || *n > 255) return refuse(range_text(lang, lang.label(56), 0, 255));
        p.flow_counts = *n;
    }
    if (type == 130) {
        const auto g = to_number(f.belsa_gradient);
        if (!g) return refuse(not_a_number(lang, lang.label(118), f.belsa_gradient));
        if (*g < 0) return refuse(lang.mess(23));
        p.gradient = *g;
        p.gradient_text = f.belsa_gradient; // the header names the change the logger got
        p.averaging = f.averaging;
        if (!to_number(f.belsa_total)) return refuse(not_a_number(lang, field(58), f.belsa_total));
        p.status_text = f.belsa_total.trimmed();
    }
    if (takes_limits(type)) {
        p.lower = f.lower;
        p.upper = f.upper;
    }
    if (type == 101 || type == 131) {
        auto fits = [](std::optional<int> v) {
            return !v || (*v >= signed_limit_min && *v <= signed_limit_max);
        };
        if (!fits(p.lower))
            return refuse(range_text(lang, capitalized(lang.label(190)), signed_limit_min, signed_limit_max));
        if (!fits(p.upper))
            return refuse(range_text(lang, capitalized(lang.label(191)), signed_limit_min, signed_limit_max));
    }

    p.clear_pointer = f.clear_pointer;
    if (f.pointer_shown) {
        const ModelRow* row = find_model(type);
        const auto pointer = to_integer(f.pointer);
        if (!pointer || *pointer < 0 || (row && row->ring_size > 0 && *pointer > row->ring_size))
            return refuse(lang.mess(26));
        p.pointer = *pointer;
    }
    p.rollover = f.rollover;
    if (f.delayed) {
        // The logger's clock knows no time zone: a wall-clock time, valid in a spring-forward gap too.
        const QDateTime start(f.start_date, QTime(f.start_time.hour(), f.start_time.minute()), Qt::UTC);
        if (!start.isValid()) return refuse(lang.mess(24));
        p.start = start;
    }
    return p;
}

} // namespace vx
