// Prints a running program's accessibility tree as a screen reader reads it
// over AT-SPI, for the window tests: one line per object, in tree order, of
// five fields each ended by TAB: depth, role, name, the names of the objects
// that label it and of those it labels, each name ended by US (0x1f).
//
//   atspi_dump PID FRAME MINIMUM SECONDS
// waits up to SECONDS for the application of process PID to show a frame
// named FRAME with at least MINIMUM objects; ends with status 1 when it does
// not. A program of its own, so that a reader that cannot reach the
// accessibility bus (which AT-SPI treats as fatal) fails only itself.
#include <atspi/atspi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Take(gchar* text) {
    std::string taken = text != nullptr ? text : "";
    g_free(text);
    return taken;
}

// The names of the targets of `object`'s relations of `type`.
std::string Related(AtspiAccessible* object, AtspiRelationType type) {
    std::string names;
    GArray* relations = atspi_accessible_get_relation_set(object, nullptr);
    if (relations == nullptr) return names;
    for (guint i = 0; i < relations->len; ++i) {
        AtspiRelation* relation = g_array_index(relations, AtspiRelation*, i);
        if (atspi_relation_get_relation_type(relation) == type)
            for (gint t = 0; t < atspi_relation_get_n_targets(relation); ++t) {
                AtspiAccessible* target = atspi_relation_get_target(relation, t);
                names += Take(atspi_accessible_get_name(target, nullptr)) + '\x1f';
                g_object_unref(target);
            }
        g_object_unref(relation);
    }
    g_array_free(relations, TRUE);
    return names;
}

struct Node {
    int depth;
    std::string role, name;
};

void Walk(AtspiAccessible* object, int depth, std::vector<Node>& nodes, std::string& lines) {
    const std::string role = Take(atspi_accessible_get_role_name(object, nullptr));
    const std::string name = Take(atspi_accessible_get_name(object, nullptr));
    nodes.push_back({depth, role, name});
    for (const std::string& field : {std::to_string(depth), role, name, Related(object, ATSPI_RELATION_LABELLED_BY),
                                     Related(object, ATSPI_RELATION_LABEL_FOR)})
        lines += field + '\t';
    lines += '\n';
    const gint count = atspi_accessible_get_child_count(object, nullptr);
    for (gint i = 0; i < count; ++i)
        if (AtspiAccessible* child = atspi_accessible_get_child_at_index(object, i, nullptr)) {
            Walk(child, depth + 1, nodes, lines);
            g_object_unref(child);
        }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: atspi_dump PID FRAME MINIMUM SECONDS\n");
        return 2;
    }
    const long pid = std::atol(argv[1]);
    const std::string frame = argv[2];
    const std::size_t minimum = static_cast<std::size_t>(std::atol(argv[3]));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atol(argv[4]));
    atspi_init();
    for (;; std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        std::vector<Node> nodes;
        std::string lines;
        AtspiAccessible* desktop = atspi_get_desktop(0);
        const gint count = atspi_accessible_get_child_count(desktop, nullptr);
        for (gint i = 0; i < count && nodes.empty(); ++i) {
            AtspiAccessible* application = atspi_accessible_get_child_at_index(desktop, i, nullptr);
            if (application == nullptr) continue;
            if (atspi_accessible_get_process_id(application, nullptr) == pid) Walk(application, 0, nodes, lines);
            g_object_unref(application);
        }
        g_object_unref(desktop);
        bool framed = false;
        for (const Node& node : nodes) framed = framed || (node.role == "frame" && node.name == frame);
        if (framed && nodes.size() >= minimum) {
            std::fputs(lines.c_str(), stdout);
            return 0;
        }
        if (std::chrono::steady_clock::now() >= deadline) return 1;
    }
}
