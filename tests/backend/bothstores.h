#pragma once

#include "backendworld.h"

#include <gtest/gtest.h>
#include <string>

inline std::string storeKindName(const testing::TestParamInfo<StoreKind>& kind) {
    return kind.param == StoreKind::Sqlite ? "Sqlite" : "Postgresql";
}

/// Runs a parameterised suite once over each store.
#define INSTANTIATE_OVER_BOTH_STORES(suite)                                                        \
    INSTANTIATE_TEST_SUITE_P(, suite, testing::Values(StoreKind::Sqlite, StoreKind::Postgresql),   \
                             storeKindName)

/// A backend on the store of the test's parameter, served on loopback.
class ServedWorld : public testing::TestWithParam<StoreKind>, protected BackendWorld {
protected:
    ServedWorld()
        : BackendWorld(nullptr, GetParam()) {
        serve();
    }
};
