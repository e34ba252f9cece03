// GRAPH's lookup table, built from the constant parameters of the call when it is parsed.
#include "core/equations/ParserInternal.h"
#include "core/support/NumberFormat.h"

#include <cmath>

void BuildGraphTable(TEquationFunction& graph) {
    const auto& items = graph.Parameters.AllItems();
    auto constantAt = [&items](size_t i) -> const TEquationConstant* {
        if (i >= items.size()) return nullptr;
        auto* element = static_cast<const TEquationElement*>(items[i]);
        return element->ElementKind() == 0 ? static_cast<const TEquationConstant*>(element)
                                           : nullptr;
    };
    for (size_t i = 1; i < items.size(); ++i)
        if (!constantAt(i)) {
            ReportEquationError(GraphNotConstantText);
            break;
        }
    auto table = std::make_unique<TDataSeries>();
    const double start = constantAt(1) ? constantAt(1)->Value.Number : 0;
    double increment = constantAt(2) ? constantAt(2)->Value.Number : 10;
    if (increment < FloatTolerance) {
        increment = 10;
        ReportEquationError(GraphIncrementText);
    }
    table->Origin = start;
    table->Interval = increment;
    bool outOfRange = false;
    for (size_t i = 3; i < items.size(); ++i) {
        const TEquationConstant* y = constantAt(i);
        if (!y) continue;
        const double x = start + static_cast<double>(i - 3) * increment;
        // Huge starts or increments must not put infinite X values into the table.
        if (!std::isfinite(x)) {
            outOfRange = true;
            continue;
        }
        table->AddPoint(x, y->Value.Number);
    }
    if (outOfRange) ReportEquationError(GraphXOutOfRangeText);
    graph.Table = std::move(table);
}
