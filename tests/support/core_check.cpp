#include "core_check.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace {

// The next line of `text` from `pos`, newline included.
std::string nextLine(const std::string& text, size_t& pos) {
    size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(pos, end - pos);
    pos = end;
    return line;
}

std::string withoutNewline(std::string line) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
}

}  // namespace

InstanceLines splitInstanceLines(const std::string& text) {
    InstanceLines r;
    size_t pos = 0;
    r.head = nextLine(text, pos);
    for (int block = 0; block < 3; ++block) {
        std::string countLine = nextLine(text, pos);
        r.head += countLine;
        int count = std::stoi(countLine);
        for (int k = 0; k < count; ++k) r.head += nextLine(text, pos);
    }
    r.countLine = nextLine(text, pos);
    int count = std::stoi(r.countLine);
    for (int k = 0; k < count && pos < text.size(); ++k) r.constraints.push_back(nextLine(text, pos));
    r.trailer = text.substr(pos);
    return r;
}

Instance parseInstance(const std::string& text) {
    std::istringstream in(text);
    auto next = [&] {
        long long v;
        if (!(in >> v)) throw std::runtime_error("instance text ends early");
        return static_cast<int>(v);
    };
    Instance inst;
    std::string name;
    in >> name;
    inst.domains.resize(next());
    for (auto& d : inst.domains) {
        next();
        d.resize(next());
        for (int& v : d) v = next();
    }
    inst.varDom.resize(next());
    for (int& d : inst.varDom) {
        next();
        d = next();
    }
    inst.relations.resize(next());
    for (auto& rel : inst.relations) {
        next();
        rel.allowed = next() != 0;
        if (next() != 2) throw std::runtime_error("relation of arity other than 2");
        rel.d0 = next();
        rel.d1 = next();
        rel.tuples.resize(next());
        for (auto& [a, b] : rel.tuples) {
            a = next();
            b = next();
        }
    }
    inst.constraints.resize(next());
    for (auto& c : inst.constraints) {
        if (next() != 2) throw std::runtime_error("constraint of arity other than 2");
        c.x = next();
        c.y = next();
        c.rel = next();
    }
    return inst;
}

Instance plantedCoreInstance(std::mt19937& rng, const GenParams& filler) {
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Instance inst;
    do inst = randomInstance(rng, filler);
    while (std::any_of(inst.domains.begin(), inst.domains.end(), [](const auto& d) { return d.empty(); }));

    std::vector<Instance::Constraint> planted;
    auto addRelation = [&](Instance::Relation rel) {
        inst.relations.push_back(std::move(rel));
        return static_cast<int>(inst.relations.size()) - 1;
    };
    const int n = static_cast<int>(inst.varDom.size());
    int x = uni(0, n - 1), y = uni(0, n - 2);
    if (y >= x) ++y;
    const int dx = inst.varDom[x], dy = inst.varDom[y];
    switch (uni(0, 2)) {
    case 0: {  // one constraint that allows nothing
        planted.push_back({x, y, addRelation({true, dx, dy, {}})});
        break;
    }
    case 1: {  // a relation and its complement on the same pair
        Instance::Relation some{true, dx, dy, {}};
        for (int a : inst.domains[dx])
            for (int b : inst.domains[dy])
                if (uni(0, 1)) some.tuples.emplace_back(a, b);
        Instance::Relation others = some;
        others.allowed = false;
        planted.push_back({x, y, addRelation(some)});
        planted.push_back({x, y, addRelation(others)});
        break;
    }
    default: {  // an odd cycle of differences over new two-valued variables
        inst.domains.push_back({0, 1});
        const int d = static_cast<int>(inst.domains.size()) - 1;
        const int differ = addRelation({false, d, d, {{0, 0}, {1, 1}}});
        const int len = uni(0, 1) ? 3 : 5;
        for (int k = 0; k < len; ++k) inst.varDom.push_back(d);
        for (int k = 0; k < len; ++k) planted.push_back({n + k, n + (k + 1) % len, differ});
        break;
    }
    }
    for (const auto& c : planted) {
        int at = uni(0, static_cast<int>(inst.constraints.size()));
        inst.constraints.insert(inst.constraints.begin() + at, c);
    }
    return inst;
}

std::string checkCore(const std::string& input, const std::string& core) {
    InstanceLines in = splitInstanceLines(input), out = splitInstanceLines(core);
    if (out.head != in.head) return "the head differs from the input's";
    if (std::stoi(out.countLine) != static_cast<int>(out.constraints.size()))
        return "count line " + out.countLine + " for " + std::to_string(out.constraints.size()) + " lines";
    if (out.trailer.find_first_not_of(" \t\r\n") != std::string::npos) return "text after the counted constraint lines";
    std::vector<std::string> pool;
    for (const auto& l : in.constraints) pool.push_back(withoutNewline(l));
    for (const auto& l : out.constraints) {
        auto it = std::find(pool.begin(), pool.end(), withoutNewline(l));
        if (it == pool.end()) return "line '" + withoutNewline(l) + "' is not one of the input's";
        pool.erase(it);
    }
    Instance inst = parseInstance(core);
    if (bruteForceSat(inst)) return "the core is satisfiable";
    const int size = static_cast<int>(inst.constraints.size());
    for (int drop = 0; drop < size; ++drop) {
        std::vector<int> keep;
        for (int k = 0; k < size; ++k)
            if (k != drop) keep.push_back(k);
        if (!bruteForceSat(inst.subset(keep))) return "not minimal: constraint " + std::to_string(drop) + " is not needed";
    }
    return "";
}

