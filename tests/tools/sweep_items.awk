# Writes a problem with parametric items added to its names.
#   awk -v mode=rv -v items="4:0:1,6:0:1" -f sweep_items.awk problem.lp
# mode rv adds "$$$start&&&end" to the names of the given rows, mode pv to
# the names of the given variables.  Line ends are kept as they are.
BEGIN {
    n_items = split(items, list, ",")
    for (k = 1; k <= n_items; ++k) {
        split(list[k], part, ":")
        suffix[part[1] + 0] = "$$$" part[2] "&&&" part[3]
    }
}
{
    line = $0
    cr = ""
    if (sub(/\r$/, "", line)) cr = "\r"
}
NR == 1 { print; next }
NR == 2 {
    split(line, dim, " ")
    rows = dim[1]; vars = dim[2]; eq_left = dim[3]; ge_left = dim[4]
    print; next
}
eq_left > 0 { eq_left -= split(line, t, " "); if (eq_left < 0) eq_left = 0; print; next }
ge_left > 0 { ge_left -= split(line, t, " "); if (ge_left < 0) ge_left = 0; print; next }
{
    ++names
    if (names <= vars + rows) {
        index_of = mode == "pv" ? names : names - vars
        in_part = mode == "pv" ? names <= vars : names > vars
        if (in_part && (index_of in suffix)) { print line suffix[index_of] cr; next }
    }
    print
}
