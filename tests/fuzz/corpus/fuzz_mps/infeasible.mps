NAME infeasible
OBJSENSE
    MAX
ROWS
 N  profit
 L  capacity
 G  demand
COLUMNS
    x  profit  1
    x  capacity  1
    x  demand  1
    y  profit  1
    y  capacity  1
    y  demand  1
RHS
    rhs  capacity  10
    rhs  demand  20
ENDATA
