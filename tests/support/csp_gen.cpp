#include "csp_gen.h"

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>

std::string Instance::toText(const std::string& name) const {
    std::ostringstream o;
    o << name << "\n" << domains.size() << "\n";
    for (size_t d = 0; d < domains.size(); ++d) {
        o << d << " " << domains[d].size();
        for (int v : domains[d]) o << " " << v;
        o << "\n";
    }
    o << varDom.size() << "\n";
    for (size_t i = 0; i < varDom.size(); ++i) o << i << " " << varDom[i] << "\n";
    o << relations.size() << "\n";
    for (size_t r = 0; r < relations.size(); ++r) {
        const Relation& rel = relations[r];
        o << r << " " << (rel.allowed ? 1 : 0) << " 2 " << rel.d0 << " " << rel.d1 << " " << rel.tuples.size();
        for (auto [a, b] : rel.tuples) o << " " << a << " " << b;
        o << "\n";
    }
    o << constraints.size() << "\n";
    for (const Constraint& c : constraints) o << "2 " << c.x << " " << c.y << " " << c.rel << "\n";
    return o.str();
}

Instance Instance::subset(const std::vector<int>& keep) const {
    Instance s = *this;
    s.constraints.clear();
    for (int k : keep) s.constraints.push_back(constraints[k]);
    return s;
}

Instance randomInstance(std::mt19937& rng, const GenParams& p) {
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto chance = [&](double q) { return std::uniform_real_distribution<double>(0, 1)(rng) < q; };
    Instance inst;
    int nd = uni(1, 3);
    for (int d = 0; d < nd; ++d) {
        int size = chance(0.04) ? 0 : uni(1, p.maxDomainSize);
        std::set<int> vals;
        while (static_cast<int>(vals.size()) < size) vals.insert(uni(-3, p.maxValue));
        std::vector<int> v(vals.begin(), vals.end());
        std::shuffle(v.begin(), v.end(), rng);
        inst.domains.push_back(v);
    }
    int n = uni(p.minVars, p.maxVars);
    for (int i = 0; i < n; ++i) inst.varDom.push_back(uni(0, nd - 1));

    auto addConstraint = [&](int x, int y) {
        int dx = inst.varDom[x], dy = inst.varDom[y];
        // Reuse a relation on the same domains now and then.
        std::vector<int> same;
        for (size_t r = 0; r < inst.relations.size(); ++r)
            if (inst.relations[r].d0 == dx && inst.relations[r].d1 == dy) same.push_back(static_cast<int>(r));
        if (!same.empty() && chance(0.3)) {
            inst.constraints.push_back({x, y, same[uni(0, static_cast<int>(same.size()) - 1)]});
            return;
        }
        Instance::Relation rel;
        rel.allowed = chance(0.5);
        rel.d0 = dx;
        rel.d1 = dy;
        for (int a : inst.domains[dx])
            for (int b : inst.domains[dy])
                if (chance(p.tightness)) rel.tuples.emplace_back(a, b);
        std::shuffle(rel.tuples.begin(), rel.tuples.end(), rng);
        inst.relations.push_back(rel);
        inst.constraints.push_back({x, y, static_cast<int>(inst.relations.size()) - 1});
    };
    std::vector<std::pair<int, int>> pairs;
    for (int x = 0; x < n; ++x)
        for (int y = x + 1; y < n; ++y)
            if (chance(p.density)) pairs.emplace_back(x, y);
    std::shuffle(pairs.begin(), pairs.end(), rng);
    for (auto [x, y] : pairs) {
        if (chance(0.5)) std::swap(x, y);
        addConstraint(x, y);
        if (chance(p.repeatPair)) chance(0.5) ? addConstraint(x, y) : addConstraint(y, x);
    }
    return inst;
}

bool bruteForceSat(const Instance& inst) {
    const int n = static_cast<int>(inst.varDom.size());
    std::vector<int> val(n);
    std::vector<std::vector<const Instance::Constraint*>> closing(n);  // constraints checked once both are set
    for (const auto& c : inst.constraints) closing[std::max(c.x, c.y)].push_back(&c);
    auto holds = [&](const Instance::Constraint& c) {
        const auto& rel = inst.relations[c.rel];
        bool listed = std::find(rel.tuples.begin(), rel.tuples.end(), std::make_pair(val[c.x], val[c.y])) !=
                      rel.tuples.end();
        return listed == rel.allowed;
    };
    std::function<bool(int)> search = [&](int i) {
        if (i == n) return true;
        for (int v : inst.domains[inst.varDom[i]]) {
            val[i] = v;
            bool ok = true;
            for (auto* c : closing[i])
                if (!holds(*c)) { ok = false; break; }
            if (ok && search(i + 1)) return true;
        }
        return false;
    };
    return search(0);
}
