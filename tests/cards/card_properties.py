# Prints the properties of each card of a vCard file as Debian's python3-vobject reads them, as
# JSON: [group, NAME, {PARAM: sorted lower-case values}, value], VERSION and PRODID left out.
# Usage: card_properties.py FILE
import json, sys
import vobject
with open(sys.argv[1], encoding='utf-8', newline='') as f:
    text = f.read()
cards = []
for card in vobject.readComponents(text, allowQP=True):
    lines = []
    for line in card.lines():
        if line.name.upper() in ('VERSION', 'PRODID'):
            continue
        params = {k.upper(): sorted(v.lower() for v in vals) for k, vals in line.params.items()
                  if k.upper() not in ('CHARSET', 'ENCODING')}
        value = line.value
        if isinstance(value, bytes):
            value = value.hex()
        lines.append([(line.group or '').lower(), line.name.upper(), params, str(value)])
    cards.append(sorted(lines, key=lambda l: json.dumps(l, sort_keys=True)))
print(json.dumps(cards, ensure_ascii=False))
