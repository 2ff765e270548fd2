#include "csp_xml.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

bool xmlExpressible(const Instance& inst) {
    for (const auto& d : inst.domains)
        if (d.empty() || *std::min_element(d.begin(), d.end()) < 0) return false;
    return true;
}

Instance nonNegative(const Instance& inst) {
    int low = 0;
    for (const auto& d : inst.domains)
        for (int v : d) low = std::min(low, v);
    Instance s = inst;
    for (auto& d : s.domains)
        for (int& v : d) v -= low;
    for (auto& r : s.relations)
        for (auto& [a, b] : r.tuples) a -= low, b -= low;
    return s;
}

static std::string valueList(const std::vector<int>& vals) {
    std::ostringstream o;
    for (size_t i = 0; i < vals.size();) {
        size_t j = i;
        while (j + 1 < vals.size() && vals[j + 1] == vals[j] + 1) ++j;
        if (i > 0) o << " ";
        if (j - i >= 2) {
            o << vals[i] << ".." << vals[j];
            i = j + 1;
        } else {
            o << vals[i];
            ++i;
        }
    }
    return o.str();
}

std::string toXML(const Instance& inst, const std::string& name) {
    if (!xmlExpressible(inst)) throw std::invalid_argument("instance not expressible in the XML layout");
    std::ostringstream o;
    o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<instance>\n";
    o << "<presentation name=\"" << name << "\" format=\"XCSP 2.1\"/>\n";
    o << "<domains nbDomains=\"" << inst.domains.size() << "\">\n";
    for (size_t d = 0; d < inst.domains.size(); ++d)
        o << "<domain name=\"D" << d << "\" nbValues=\"" << inst.domains[d].size() << "\" values=\""
          << valueList(inst.domains[d]) << "\"/>\n";
    o << "</domains>\n<variables nbVariables=\"" << inst.varDom.size() << "\">\n";
    for (size_t i = 0; i < inst.varDom.size(); ++i)
        o << "<variable name=\"V" << i << "\" domain=\"D" << inst.varDom[i] << "\"/>\n";
    o << "</variables>\n<relations nbRelations=\"" << inst.relations.size() << "\">\n";
    for (size_t r = 0; r < inst.relations.size(); ++r) {
        const auto& rel = inst.relations[r];
        const char* kind = rel.allowed ? "Supports" : "Conflicts";
        const char* list = rel.allowed ? "supports" : "conflicts";
        o << "<relation name=\"R" << r << "\" arity=\"2\" domain=\"D" << rel.d0 << " D" << rel.d1 << "\" nb" << kind
          << "=\"" << rel.tuples.size() << "\" " << list << "=\"";
        for (auto [a, b] : rel.tuples) o << "(" << a << "," << b << ")";
        o << "\"/>\n";
    }
    o << "</relations>\n<constraints nbConstraints=\"" << inst.constraints.size() << "\">\n";
    for (size_t c = 0; c < inst.constraints.size(); ++c) {
        const auto& k = inst.constraints[c];
        o << "<constraint name=\"C" << c << "\" arity=\"2\" scope=\"V" << k.x << " V" << k.y << "\" relation=\"R"
          << k.rel << "\"/>\n";
    }
    o << "</constraints>\n</instance>\n";
    return o.str();
}
