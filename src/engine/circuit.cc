// Reading a model of a circuit's variables back from CaDiCaL.
#include "engine/circuit.h"

namespace torva {

terms::Model Circuit::readModel() {
    terms::Model model;
    for (terms::TermId v : blaster.variables()) {
        const std::vector<int>& bits = blaster.bits(v);
        mpz_class value;
        for (size_t i = 0; i < bits.size(); ++i)
            if (backend.value(bits[i])) mpz_setbit(value.get_mpz_t(), i);
        model.values.emplace_back(v, std::move(value));
    }
    return model;
}

}  // namespace torva
