"""The record's whole-number fields for the designers' Python tools: each
field's range (as settings/record_fields.cpp has it; a test compares the two
through `tovrine-record fields`) and how an axis names it, with its unit."""

# name: (low, high, axis label). A label's unit is in parentheses.
FIELDS = {
    "statsMode": (0, 2, "vital numbers shown (0 never, 1 always, 2 near death)"),
    "includeLife": (0, 1, "meals shown with the vital numbers (0 or 1)"),
    "wrapEdges": (0, 1, "edges wrap (0 or 1)"),
    "maxEntities": (0, 9999999, "most living Vobs (Vobs)"),
    "showCloud": (0, 1, "statistics cloud shown (0 or 1)"),
    "initialVobs": (0, 99999, "Vobs born with each civilization (Vobs)"),
    "vobIQ": (0, 1, "Vob IQ (0 or 1)"),
    "whirlCount": (0, 99999, "whirl count (whirls)"),
    "maxStrength": (0, 9999999, "maximum strength (strength)"),
    "megaLevel": (0, 9999999, "mega level (strength)"),
    "greenLevel": (0, 9999999, "green level (strength)"),
    "spawnLevel": (0, 9999999, "meals before spawning (meals)"),
    "birthSpawns": (0, 9999999, "children per spawning (Vobs)"),
    "birthStrength": (0, 9999999, "founders' strength above the green level (strength)"),
    "foodStrength": (0, 9999999, "strength per food deposit (strength)"),
    "depositGap": (0, 9999999, "gap between food deposits (pixels)"),
    "screenWidth": (1, 8192, "world width (pixels)"),
    "screenHeight": (1, 8192, "world height (pixels)"),
    "screenDepth": (16, 32, "colour depth (bits per pixel)"),
}

# Fields whose only values are the two ends of their range.
ENDS_ONLY = {"screenDepth"}

# Figures of the sweep's tables, with their units.
MEASURES = {
    "mean_population": "mean Vobs alive (Vobs)",
    "lowest_population": "fewest Vobs alive (Vobs)",
    "highest_population": "most Vobs alive (Vobs)",
    "civilizations": "civilizations per run (civilizations)",
    "extinctions": "extinctions per run (extinctions)",
    "food_at_end": "food deposits at the end (deposits)",
    "first_extinction": "first extinction (frames)",
    "until_frame": "frame where --until held (frames)",
}


def axis_label(name):
    """The axis label of a field or figure, or the name itself when unknown."""
    if name in FIELDS:
        return FIELDS[name][2]
    return MEASURES.get(name, name)
