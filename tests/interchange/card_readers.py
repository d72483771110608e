# Reads a file Zorvane wrote with Debian's python3-vobject (cards) or Python's csv module and
# prints what each contact holds as JSON; "write" makes a card with python3-vobject instead.
# Usage: card_readers.py vcard|csv-utf8|csv-gb18030|write FILE
import csv, json, sys
mode, path = sys.argv[1], sys.argv[2]
def unguard(v):
    return v[1:] if len(v) > 1 and v[0] == "'" and v[1] in "=+-@" else v
if mode == 'write':
    import vobject
    c = vobject.vCard()
    c.add('n').value = vobject.vcard.Name(family='诸葛', given='亮')
    c.add('fn').value = '诸葛亮'
    t = c.add('tel'); t.value = '+86 10 1234'; t.type_param = 'CELL'
    e = c.add('email'); e.value = 'kongming@example.cn'; e.type_param = 'INTERNET'
    c.add('note').value = '第一行\n第二行, 逗号; 分号'
    c.add('categories').value = ['蜀国']
    c.add('org').value = ['蜀汉']
    open(path, 'w', encoding='utf-8', newline='').write(c.serialize())
    sys.exit(0)
people = []
if mode.startswith('csv'):
    with open(path, encoding='utf-8-sig' if mode == 'csv-utf8' else 'gb18030', newline='') as f:
        rows = list(csv.reader(f))
    for r in rows[1:]:
        r = [unguard(v) for v in r]
        people.append({'family': r[0], 'given': r[1], 'tels': [r[i] for i in (10, 12, 14, 16) if r[i]],
                       'emails': [r[17]] if r[17] else [], 'note': r[19]})
else:
    import vobject
    with open(path, encoding='utf-8', newline='') as f:
        for card in vobject.readComponents(f.read(), allowQP=True):
            n = card.n.value
            people.append({'fn': card.fn.value, 'family': n.family, 'given': n.given,
                           'tels': [t.value for t in card.contents.get('tel', [])],
                           'emails': [e.value for e in card.contents.get('email', [])],
                           'note': card.note.value if hasattr(card, 'note') else ''})
print(json.dumps(people, ensure_ascii=False))
