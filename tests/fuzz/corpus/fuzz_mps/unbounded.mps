NAME unbounded
OBJSENSE
    MAX
ROWS
 N  profit
 L  difference
COLUMNS
    x  profit  1
    x  difference  1
    y  profit  1
    y  difference  -1
RHS
    rhs  difference  4
ENDATA
