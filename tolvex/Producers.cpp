// Producers - see Producers.h.
#include "Producers.h"

static const struct {
    SourceType type;
    Producer produce;
} kProducers[] = {
    {SourceType::Tmy2, import_tmy2},
    {SourceType::Ee, import_ee},
    {SourceType::Template, make_template},
};

Producer producer_of(SourceType type) {
    for (const auto &p : kProducers)
        if (p.type == type) return p.produce;
    return make_template;  // every SourceType has a row
}
