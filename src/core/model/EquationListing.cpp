#include "core/model/EquationListing.h"

#include "core/model/Listings.h"
#include "core/support/Text.h"

#include <algorithm>

std::vector<std::array<std::string, 5>> EquationRows(const TSimulationObject& simulation,
                                                     TEquationSortOrder order) {
    std::vector<const TVariableObject*> elements;
    for (const TVariableObject* element : simulation.Variables)
        elements.push_back(element);
    auto byName = [](const TVariableObject* a, const TVariableObject* b) {
        return Lower(a->Name) < Lower(b->Name);
    };
    if (order == esoName) {
        std::stable_sort(elements.begin(), elements.end(), byName);
    } else if (order == esoType) {
        std::stable_sort(elements.begin(), elements.end(), [&](auto* a, auto* b) {
            return a->Kind != b->Kind ? a->Kind < b->Kind : byName(a, b);
        });
    } else {
        std::stable_sort(elements.begin(), elements.end(),
                         [](auto* a, auto* b) { return a->Order < b->Order; });
    }
    std::vector<std::array<std::string, 5>> rows;
    rows.reserve(elements.size());
    for (const TVariableObject* v : elements)
        rows.push_back(
            {v->Name, ElementTypeText(*v), v->Units, EquationColumn(*v), OneLine(v->Notes)});
    return rows;
}
