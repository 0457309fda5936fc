#pragma once
// Which planner fills the route tables: the one spiral sweep, or the exact least costs.
enum class PlannerKind { Sweep, Exact };
