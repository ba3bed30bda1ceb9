"""What a sweep's folder says of itself, for the titles of the designers' plots."""
import os


def sweep_words(sweep):
    """The sweep's arguments from its manifest, as a list of words."""
    try:
        with open(os.path.join(sweep, "manifest.txt")) as f:
            for line in f:
                if line.startswith("design "):
                    return line[len("design "):].rstrip("\n").split("\t")
    except OSError:
        pass
    return []


def own_measures(sweep):
    """The sweep's --measure NAME=EXPRESSION as {NAME: EXPRESSION}."""
    words = sweep_words(sweep)
    return dict(value.split("=", 1) for key, value in zip(words, words[1:])
                if key == "--measure" and "=" in value)


def is_time_to_event(sweep, measure):
    """True for the first extinction, the frame where --until held and a
    measure of one's own that is one first(...)."""
    text = own_measures(sweep).get(measure, "").replace(" ", "")
    return measure in ("first_extinction", "until_frame") or \
        (text.startswith("first(") and text.endswith(")") and text.count("(") == 1)


def sweep_provenance(sweep):
    """The manifest's commit and command: {'commit': ..., 'command': ...},
    without the keys it lacks."""
    found = {}
    try:
        with open(os.path.join(sweep, "manifest.txt")) as f:
            for line in f:
                key, _, value = line.rstrip("\n").partition(" ")
                if key in ("commit", "command") and key not in found:
                    found[key] = value
    except OSError:
        pass
    return found


def fixed_text(sweep):
    """What the sweep held fixed: every --set field, the record files the
    algorithms came from and the design it swept. '' when nothing was."""
    words = sweep_words(sweep)
    sets = [value for key, value in zip(words, words[1:]) if key == "--set"]
    records = [os.path.basename(value) for key, value in zip(words, words[1:])
               if key == "--record"]
    designs = [os.path.basename(value) for key, value in zip(words, words[1:])
               if key == "--design"]
    parts = []
    if sets:
        parts.append("fixed: " + ", ".join(sets))
    if records:
        parts.append("record%s: %s" % ("s" if len(records) > 1 else "", ", ".join(records)))
    if designs:
        parts.append("design: " + designs[0])
    return "; ".join(parts)
